#!/usr/bin/env bash
# Builds the library and runs every test: a normal build, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each further stage in scripts/test.d in name order (formatting of the
# changed lines, the moved install and its consumers, the ABI comparison, the 32-bit x86 build,
# ThreadSanitizer, Python, the browser, documentation, examples and the Debian packages). Every build
# here treats compiler warnings as errors. Any failure fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
export ORVCORE_JOBS=${ORVCORE_JOBS:-$(nproc)}
# Ninja where it is installed: it compiles a program's files while the
# libraries they link are still being built, which keeps every core busy.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi
# A build folder configured by another generator is made anew.
for cache in build/test-*/CMakeCache.txt; do
  [ -f "$cache" ] || continue
  if ! grep -qxF "CMAKE_GENERATOR:INTERNAL=${CMAKE_GENERATOR:-Unix Makefiles}" "$cache"; then
    rm -rf "$(dirname "$cache")"
  fi
done
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
# ccache caches the compilations that use a precompiled header only with these.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# The test programs are compiled to be run once here, the benchmarks only to
# check that they compile: without optimisation or debug information they
# build in about a third of the time, while the library and tools keep the
# build type's options.
export ORVCORE_TEST_OPTIONS="-O0;-g0"
start=$SECONDS

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVCORE_WERROR=ON \
    -DORVCORE_TEST_COMPILE_OPTIONS="$ORVCORE_TEST_OPTIONS" -DORVCORE_BENCH_COMPILE_OPTIONS="$ORVCORE_TEST_OPTIONS" \
    "$@" >/dev/null
  cmake --build "$dir" -j "$ORVCORE_JOBS"
  ctest --test-dir "$dir" --output-on-failure -j "$ORVCORE_JOBS"
}

stage_time() { echo "-- $1 took $((SECONDS - $2)) s"; }

echo "== normal build =="
t=$SECONDS
# The Python module goes where Debian's interpreter looks for packaged modules, so that the same
# build serves the moved install and the Debian package.
run_suite build/test-release -DORVCORE_PYTHON_INSTALL_DIR=lib/python3/dist-packages
stage_time "normal build" $t
echo "== sanitizer build (address, undefined) =="
t=$SECONDS
(
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  # The library and tools unoptimised too (the sanitizers miss nothing there, and the optimised
  # code is the normal build's), with line tables for the reports' stack traces.
  run_suite build/test-sanitize -DORVCORE_SANITIZE=address,undefined -DORVCORE_BUILD_BENCHMARKS=OFF \
    -DORVCORE_BUILD_PYTHON=OFF -DORVCORE_BUILD_DOCS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -g1 -DNDEBUG"
)
stage_time "sanitizer build" $t
for stage in scripts/test.d/*.sh; do
  [ -e "$stage" ] || continue
  echo "== $(basename "$stage" .sh) =="
  t=$SECONDS
  bash "$stage"
  stage_time "$(basename "$stage" .sh)" $t
done
echo "all test stages passed in $((SECONDS - start)) s"
