#!/usr/bin/env bash
# Builds the library and runs every test: a normal build, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each further stage in scripts/test.d (in name order: the 32-bit x86
# build, Python, the browser, documentation and examples). Any failure fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
export ORVCORE_JOBS=${ORVCORE_JOBS:-$(nproc)}
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
start=$SECONDS

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$ORVCORE_JOBS"
  ctest --test-dir "$dir" --output-on-failure -j "$ORVCORE_JOBS"
}
export -f run_suite

echo "== normal build =="
run_suite build/test-release
echo "== sanitizer build (address, undefined) =="
(
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  run_suite build/test-sanitize -DORVCORE_SANITIZE=address,undefined -DORVCORE_BUILD_BENCHMARKS=OFF
)
for stage in scripts/test.d/*.sh; do
  [ -e "$stage" ] || continue
  echo "== $(basename "$stage" .sh) =="
  bash "$stage"
done
echo "all test stages passed in $((SECONDS - start)) s"
