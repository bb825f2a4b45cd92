#!/usr/bin/env bash
# The neighbour search under ThreadSanitizer: only the library and the test
# programs of the spatial search are built (no tools, Python or benchmarks),
# and the tests that share the search among threads run (the others run on
# one thread and are covered by the sanitizer build of the whole suite).
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${ORVCORE_JOBS:-$(nproc)}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
dir=build/test-tsan

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVCORE_SANITIZE=thread \
  -DORVCORE_BUILD_BENCHMARKS=OFF -DORVCORE_BUILD_PYTHON=OFF -DORVCORE_BUILD_TOOLS=OFF -DORVCORE_BUILD_DOCS=OFF \
  -DORVCORE_WERROR=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DORVCORE_TEST_COMPILE_OPTIONS="${ORVCORE_TEST_OPTIONS:--O0;-g0}" >/dev/null
# The test programs that hold the neighbour-search tests, by target name.
# (Makefiles list them as "... Name", Ninja as "Name: phony".)
targets=$(cmake --build "$dir" --target help |
  sed -n -e 's/^\.\.\. \([A-Za-z0-9_]*\).*/\1/p' -e 's/^\([A-Za-z0-9_]*\): phony$/\1/p' |
  grep -iE '(neighbo|spatial).*test|test.*(neighbo|spatial)' | sort -u)
if [ -z "$targets" ]; then
  echo "no test program of the neighbour search found" >&2
  exit 1
fi
cmake --build "$dir" -j "$jobs" --target $targets
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
export ORVCORE_TEST_DATA=$PWD/tests/data
for target in $targets; do
  program=$(find "$dir" -type f -perm -u+x -name "$target" | head -n 1)
  # setarch -R: ThreadSanitizer needs the address layout of a process without
  # randomisation on some kernels.
  setarch "$(uname -m)" -R "$program" --gtest_filter='NeighborListThreads*' --gtest_brief=1
done
echo "neighbour search clean under ThreadSanitizer"
