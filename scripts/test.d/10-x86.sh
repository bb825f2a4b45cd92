#!/usr/bin/env bash
# The 32-bit x86 build: GoogleTest built for 32 bits from Debian's sources
# (once per Debian version of googletest, cached outside the clone in
# ${XDG_CACHE_HOME:-~/.cache}/orvcore), then the library, its tools and tests
# built with -m32 (the project selects SSE2 arithmetic itself), at -O1 (the
# same numbers as -O2 under SSE2, in less build time), the test programs
# unoptimised, all without debug information, and the whole suite run.
# Benchmarks (no 32-bit Google Benchmark) and the Python module are not built
# there. Then both builds must write the same bytes: orvscene's document of the
# embedded molecule and every case of the golden archive corpus.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
jobs=${ORVCORE_JOBS:-$(nproc)}
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
release=build/test-release
x86=build/test-x86

# GoogleTest for 32 bits, built once per Debian version of its sources into a
# cache shared by every clone (built aside and moved into place, so that two
# runs at once cannot see a half-built one).
gtest_version=$(dpkg-query -W -f '${Version}' googletest)
cache=${ORVCORE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvcore}
gtest=$cache/gtest-x86-$gtest_version
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/gtest-x86.XXXXXX")
  cmake -S /usr/src/googletest -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS=-m32 -DCMAKE_C_FLAGS=-m32 -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$gtest/prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
  cmake --build "$work/build" -j "$jobs" >/dev/null
  DESTDIR=$work/dest cmake --install "$work/build" >/dev/null
  mkdir -p "$work/final"
  mv "$work/dest$gtest/prefix" "$work/final/prefix"
  mv -T "$work/final" "$gtest" 2>/dev/null || true # another run may have won
  rm -rf "$work"
fi

cmake -S . -B "$x86" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-m32 \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -DNDEBUG" -DORVCORE_WERROR=ON \
  -DORVCORE_BUILD_DOCS=OFF -DORVCORE_TEST_COMPILE_OPTIONS="${ORVCORE_TEST_OPTIONS:--O0;-g0}" \
  -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" -DCMAKE_PREFIX_PATH="$gtest/prefix" \
  -DORVCORE_BUILD_BENCHMARKS=OFF -DORVCORE_BUILD_PYTHON=OFF >/dev/null
cmake --build "$x86" -j "$jobs"
ctest --test-dir "$x86" --output-on-failure -j "$jobs"

# Both builds write the same bytes.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for build in "$release" "$x86"; do
  name=$(basename "$build")
  "$build/tools/orvscene" --write "$scratch/$name.orvs" >/dev/null
done
cmp "$scratch/test-release.orvs" "$scratch/test-x86.orvs"
# The golden-corpus test compares each build with the committed files; the
# stored cases are compared here directly as well.
for build in "$release" "$x86"; do
  name=$(basename "$build")
  cmake --build "$build" -j "$jobs" -t RegenerateArchiveCorpus >/dev/null
  mkdir "$scratch/$name-corpus"
  "$build/tests/RegenerateArchiveCorpus" "$scratch/$name-corpus" >/dev/null
done
diff -r "$scratch/test-release-corpus" "$scratch/test-x86-corpus"
echo "32-bit and 64-bit builds write identical documents and archive cases"
