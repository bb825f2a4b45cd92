#!/usr/bin/env bash
# The ABI guard: the normal build's shared library against the committed
# baseline of its SONAME (abi/<SONAME>.abi.gz, libabigail's abidw). Added
# functions, variables and types pass; any removed or changed one fails, since
# it would break programs linked against the same SONAME. A deliberate change
# raises the SONAME and regenerates the baseline (scripts/update-abi-baseline.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/test-release
headers=build/test-install/prefix/include
scratch=build/test-abi
rm -rf "$scratch"
mkdir -p "$scratch"
[ -d "$headers" ] || { echo "no installed headers in $headers (the install stage runs first)" >&2; exit 1; }
soname=$(objdump -p "$build/libOrvCore57.so" | awk '$1 == "SONAME" { print $2 }')
baseline=abi/$soname.abi.gz
if [ ! -f "$baseline" ]; then
  echo "no ABI baseline $baseline for the SONAME $soname: run scripts/update-abi-baseline.sh" >&2
  exit 1
fi
gzip -dc "$baseline" >"$scratch/baseline.abi"
bash scripts/abi-dump.sh "$build" "$headers" "$scratch/current.abi"
set +e
abidiff --no-added-syms "$scratch/baseline.abi" "$scratch/current.abi" >"$scratch/report.txt" 2>&1
status=$?
set -e
# abidiff's status is a bit field: 1 error, 2 usage, 4 ABI change, 8 incompatible change.
if [ $((status & 3)) -ne 0 ]; then
  cat "$scratch/report.txt" >&2
  echo "abidiff failed (status $status)" >&2
  exit 1
fi
# Removed or changed entries break compatibility; additions alone do not.
if [ $((status & 8)) -ne 0 ] ||
  grep -Eq '(^|[^0-9])[1-9][0-9]* (Removed|Changed)' "$scratch/report.txt"; then
  cat "$scratch/report.txt" >&2
  echo "the ABI of $soname changed incompatibly against $baseline" >&2
  exit 1
fi
echo "ABI of $soname compatible with $baseline"
