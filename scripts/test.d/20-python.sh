#!/usr/bin/env bash
# Python stage: the orvcore package's pytest suite, its stubs (mypy --strict, stubtest) and the Python examples
# against the normal build (the sanitizer build does not build the module); the package installed by pip into a
# scratch virtualenv (reusing the built tree) and by cmake --install into a scratch prefix, imported from there.
# Debian's interpreter is named explicitly.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${ORVCORE_STAGE_BUILD:-build/test-release}
python=/usr/bin/python3
if ! ls "$build"/python/orvcore/_orvcore*.so >/dev/null 2>&1; then
  echo "the orvcore Python package was not built in $build" >&2
  exit 1
fi
scratch=$PWD/build/python-stage
rm -rf "$scratch"
mkdir -p "$scratch"
(
  export PYTHONPATH=$PWD/$build/python ORVCORE_TEST_DATA=$PWD/tests/data
  "$python" -m pytest -q -p no:cacheprovider python/tests
  # The stubs: clean under mypy --strict, and true to the built module.
  (cd "$scratch" && "$python" -m mypy --strict --no-incremental "$PYTHONPATH/orvcore/__init__.pyi")
  (cd "$scratch" && "$python" -m mypy.stubtest orvcore)
  "$python" examples/python/chain_contacts.py tests/data/1hpv.pdb
  "$python" examples/python/superpose_scene.py tests/data/1hpv.pdb --out "$scratch/superposed.orvs"
  # The document written from Python loads in the C++ tool.
  if [ -x "$build/tools/orvscene" ]; then
    "$build/tools/orvscene" --read "$scratch/superposed.orvs" --no-timings >/dev/null
  fi
  # The batch example on two local Dask workers gives the serial table, and documents the tool reads.
  structures=(tests/data/1hpv.pdb tools/orvscene/3al1.pdb tests/data/1hpv.pdb)
  "$python" examples/python/batch_contacts.py "${structures[@]}" --reference tests/data/1hpv.pdb \
    --out "$scratch/serial.csv" --serial 2>/dev/null
  "$python" examples/python/batch_contacts.py "${structures[@]}" --reference tests/data/1hpv.pdb \
    --out "$scratch/dask.csv" --workers 2 --documents "$scratch/documents" 2>/dev/null
  cmp "$scratch/serial.csv" "$scratch/dask.csv"
  if [ -x "$build/tools/orvscene" ]; then
    "$build/tools/orvscene" --read "$scratch/documents/3al1.orvs" --no-timings >/dev/null
  fi
)
# pip into a scratch virtualenv, offline with Debian's packages, from the tree built above.
"$python" -m venv --system-site-packages "$scratch/venv"
ORVCORE_BUILD_DIR=$PWD/$build "$scratch/venv/bin/python" -m pip install --no-build-isolation --no-index --no-deps \
  --quiet "$PWD" >/dev/null
(
  cd "$scratch" && env -u PYTHONPATH "$scratch/venv/bin/python" - <<'PY'
import pathlib, sys
import orvcore
assert pathlib.Path(orvcore.__file__).is_relative_to(sys.prefix), orvcore.__file__
import numpy as np
assert orvcore.Superpose(np.eye(3), np.eye(3)).rmsdAfter == 0
print("pip-installed orvcore", orvcore.__version__)
PY
  printf 'import orvcore\nfit = orvcore.Superpose([[0, 0, 0]], [[1, 1, 1]])\nrmsd: float = fit.rmsdAfter\n' > use.py
  env -u PYTHONPATH "$scratch/venv/bin/python" -m mypy --strict --no-incremental use.py
)
# Installed by CMake (the shared moved install of the install stage), the package finds the library by its
# run path.
prefix=$PWD/build/test-install/prefix
[ -d "$prefix" ] || { echo "no install in $prefix (the install stage runs first)" >&2; exit 1; }
site=$(dirname "$(dirname "$(find "$prefix" -name '_orvcore*.so' | head -n 1)")")
(cd "$prefix" && env -u PYTHONPATH -u LD_LIBRARY_PATH PYTHONPATH="$site" "$python" -c "import orvcore; help(orvcore)" >/dev/null)
echo "python stage passed"
