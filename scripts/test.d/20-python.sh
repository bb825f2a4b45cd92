#!/usr/bin/env bash
# Python stage: the orvcore module's pytest suite and the two Python examples, against the normal build
# (the sanitizer build does not build the module). Debian's interpreter is named explicitly.
set -euo pipefail
build=build/test-release
python=/usr/bin/python3
module=$(ls "$build"/python/orvcore*.so 2>/dev/null | head -n 1 || true)
if [ -z "$module" ]; then
  echo "the orvcore Python module was not built in $build" >&2
  exit 1
fi
export PYTHONPATH=$PWD/$build/python
export ORVCORE_TEST_DATA=$PWD/tests/data
"$python" -m pytest -q -p no:cacheprovider python/tests
"$python" examples/python/chain_contacts.py tests/data/1hpv.pdb
"$python" examples/python/superpose_scene.py tests/data/1hpv.pdb --out "$build/python/superposed.orvs"
# The document written from Python loads in the C++ tool.
if [ -x "$build/tools/orvscene/orvscene" ]; then
  "$build/tools/orvscene/orvscene" --read "$build/python/superposed.orvs" --no-timings >/dev/null
fi
echo "python stage passed"
