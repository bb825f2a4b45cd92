#!/usr/bin/env bash
# The orvscene page in headless Chromium and its glTF through Khronos'
# validator, on the normal build's orvscene. The screenshot lands in
# build/test-release/browser/orvscene-page.png.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/test-release
web=tools/orvscene/web
cmake --build "$build" -j "${ORVCORE_JOBS:-2}" -t orvscene >/dev/null
node "$web/browser-test.mjs" "$build/tools/orvscene" "$build/browser"
