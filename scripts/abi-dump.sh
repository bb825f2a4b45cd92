#!/usr/bin/env bash
# Writes the ABI of the shared library of a build (abidw, libabigail) to a
# file: the exported functions and variables and the types reachable from the
# installed headers. Used by the test command's ABI comparison and by
# scripts/update-abi-baseline.sh, so both describe the library the same way.
#   scripts/abi-dump.sh BUILD_DIR INCLUDE_DIR OUT_FILE
set -euo pipefail
build=$1 headers=$2 out=$3
library=$(readlink -f "$build/libOrvCore57.so")
abidw --drop-private-types --headers-dir "$headers" --no-corpus-path --short-locs --no-comp-dir-path \
  --out-file "$out" "$library"
