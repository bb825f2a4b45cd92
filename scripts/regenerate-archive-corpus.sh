#!/bin/sh
# Rewrites the golden archive corpus, tests/data/archives, from what the
# library stores now. The corpus pins the bytes of every archive form under
# every schema; rewrite it only for an intended change of a stored layout,
# and review the difference (git diff --stat, and the layout change itself)
# before committing it.
#
# usage: scripts/regenerate-archive-corpus.sh [BUILD_DIR]
# BUILD_DIR defaults to build/test-release; it is configured if it is not yet.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/test-release}
corpus=$root/tests/data/archives

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVCORE_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" -j2 -t RegenerateArchiveCorpus

# The program writes nothing unless every case loads back whole, so the old
# corpus is replaced only by a sound new one.
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$build/tests/RegenerateArchiveCorpus" "$fresh"
mkdir -p "$corpus"
rm -f "$corpus"/*.bin
mv "$fresh"/*.bin "$corpus"/
git -C "$root" status --short -- tests/data/archives
