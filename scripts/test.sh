#!/usr/bin/env bash
# Builds the library and runs every test twice: a normal build, then a build
# under AddressSanitizer and UndefinedBehaviorSanitizer. Any failure fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== normal build =="
run_suite build/test-release
echo "== sanitizer build (address, undefined) =="
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run_suite build/test-sanitize -DORVCORE_SANITIZE=address,undefined -DORVCORE_BUILD_BENCHMARKS=OFF
echo "all tests passed in both builds"
