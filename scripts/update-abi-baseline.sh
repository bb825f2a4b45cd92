#!/usr/bin/env bash
# Regenerates the committed ABI baseline abi/libOrvCore57.so.<SOVERSION>.abi.gz
# (abidw's XML, compressed) from a fresh RelWithDebInfo build of the library. Run it when a release
# deliberately changes the ABI, together with the SONAME (the major number of
# project(VERSION) in CMakeLists.txt), so that the baseline always describes
# what the current SONAME promises. Compatible additions pass the test
# command's comparison without it.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
build=build/abi-baseline
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVCORE_BUILD_TESTS=OFF \
  -DORVCORE_BUILD_BENCHMARKS=OFF -DORVCORE_BUILD_PYTHON=OFF -DORVCORE_BUILD_TOOLS=OFF \
  -DORVCORE_BUILD_DOCS=OFF >/dev/null
cmake --build "$build" -j "${ORVCORE_JOBS:-$(nproc)}" --target OrvCore57
rm -rf "$build/headers"
cmake --install "$build" --prefix "$build/headers" --component dev >/dev/null
soname=$(objdump -p "$build/libOrvCore57.so" | awk '$1 == "SONAME" { print $2 }')
rm -f abi/*.abi abi/*.abi.gz
bash scripts/abi-dump.sh "$build" "$build/headers/include" "$build/$soname.abi"
gzip -9nc "$build/$soname.abi" >"abi/$soname.abi.gz"
echo "abi/$soname.abi.gz written"
