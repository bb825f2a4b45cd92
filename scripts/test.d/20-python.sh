#!/usr/bin/env bash
# Python stage: the orvcore module's pytest suite and the two Python examples against the normal build
# (the sanitizer build does not build the module), then the module installed into a scratch prefix
# imported from there. Debian's interpreter is named explicitly.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/test-release
python=/usr/bin/python3
if ! ls "$build"/python/orvcore*.so >/dev/null 2>&1; then
  echo "the orvcore Python module was not built in $build" >&2
  exit 1
fi
(
  export PYTHONPATH=$PWD/$build/python ORVCORE_TEST_DATA=$PWD/tests/data
  "$python" -m pytest -q -p no:cacheprovider python/tests
  "$python" examples/python/chain_contacts.py tests/data/1hpv.pdb
  "$python" examples/python/superpose_scene.py tests/data/1hpv.pdb --out "$build/python/superposed.orvs"
  # The document written from Python loads in the C++ tool.
  if [ -x "$build/tools/orvscene" ]; then
    "$build/tools/orvscene" --read "$build/python/superposed.orvs" --no-timings >/dev/null
  fi
)
# Installed (the shared moved install of the install stage), the module finds the library by its run path.
prefix=$PWD/build/test-install/prefix
[ -d "$prefix" ] || { echo "no install in $prefix (the install stage runs first)" >&2; exit 1; }
site=$(dirname "$(find "$prefix" -name 'orvcore*.so' | head -n 1)")
(cd "$prefix" && env -u PYTHONPATH -u LD_LIBRARY_PATH PYTHONPATH="$site" "$python" -c "import orvcore; help(orvcore)" >/dev/null)
echo "python stage passed"
