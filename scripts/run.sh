#!/usr/bin/env bash
# Builds the library and runs the main job: orvscene on the embedded molecule
# (or on the structure file and options given), printing the summary and
# writing the picture build/scene.svg, the page build/scene.html and the glTF scene build/scene.glb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DORVCORE_BUILD_TESTS=OFF -DORVCORE_BUILD_BENCHMARKS=OFF \
  -DORVCORE_BUILD_PYTHON=OFF -DORVCORE_BUILD_DOCS=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target orvscene
exec build/release/tools/orvscene --svg build/scene.svg --html build/scene.html --gltf build/scene.glb "$@"
