#!/usr/bin/env bash
# Builds the guide's example programs against the installed package (the
# shared moved install of the install stage; find_package, as an outside
# project does), runs each and compares its output with the output
# docs/guide.md shows.
set -euo pipefail
cd "$(dirname "$0")/../.."
scratch=$PWD/build/examples-check
prefix=$PWD/build/test-install/prefix
[ -d "$prefix" ] || { echo "no install in $prefix (the install stage runs first)" >&2; exit 1; }
rm -rf "$scratch"
cmake -S examples -B "$scratch/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$scratch/build" -j "${ORVCORE_JOBS:-2}"
/usr/bin/python3 scripts/check-guide-examples.py docs/guide.md examples "$scratch/build"
