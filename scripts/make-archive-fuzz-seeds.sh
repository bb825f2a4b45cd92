#!/bin/sh
# Rewrites the seed corpus of the archive fuzz target, tests/fuzz/corpus/archive,
# from what the library stores now: every class and schema of the golden
# archive corpus, behind the two bytes that choose them. Run it when a class
# or a schema joins the corpus (the choosing bytes follow the order of its table).
#
# usage: scripts/make-archive-fuzz-seeds.sh [BUILD_DIR]
# BUILD_DIR defaults to build/test-release; it is configured if it is not yet.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/test-release}
seeds=$root/tests/fuzz/corpus/archive

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVCORE_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" -j2 -t MakeArchiveSeeds
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$build/tests/MakeArchiveSeeds" "$fresh"
mkdir -p "$seeds"
# Seeds of the same names are replaced; other inputs (found by fuzzing) stay.
mv "$fresh"/* "$seeds"/
git -C "$root" status --short -- tests/fuzz/corpus/archive
