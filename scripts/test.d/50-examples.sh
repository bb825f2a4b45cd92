#!/usr/bin/env bash
# Installs the normal build into a scratch prefix, builds the guide's example
# programs against the installed package (find_package, as an outside project
# does), runs each and compares its output with the output docs/guide.md shows.
set -euo pipefail
cd "$(dirname "$0")/../.."
scratch=$PWD/build/examples-check
rm -rf "$scratch"
cmake --install build/test-release --prefix "$scratch/prefix" >/dev/null
cmake -S examples -B "$scratch/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/build" -j "${ORVCORE_JOBS:-2}"
/usr/bin/python3 scripts/check-guide-examples.py docs/guide.md examples "$scratch/build"
