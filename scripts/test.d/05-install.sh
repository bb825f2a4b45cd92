#!/usr/bin/env bash
# The relocatable install, shared by the later stages: the normal build is
# installed into a scratch prefix, which is then MOVED elsewhere
# (build/test-install/prefix, the prefix the Python and example stages use).
# From the moved prefix: a consumer built with find_package and one built with
# pkg-config compile and run, the installed orvscene runs (it finds the
# library by its $ORIGIN run path) and the installed Python module imports.
# Nothing installed may name the first prefix.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build/test-release
scratch=$root/build/test-install
python=/usr/bin/python3
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -rf "$scratch"
mkdir -p "$scratch"
staging=$scratch/staging-prefix
prefix=$scratch/prefix
cmake --install "$build" --prefix "$staging" >/dev/null
mv "$staging" "$prefix"
unset LD_LIBRARY_PATH PYTHONPATH

fail() { echo "install stage: $*" >&2; exit 1; }
if grep -rlIF --exclude='*.h' "$staging" "$prefix" >/dev/null; then
  fail "installed files name the prefix they were installed to: $(grep -rlIF --exclude='*.h' "$staging" "$prefix" | tr '\n' ' ')"
fi
[ -f "$prefix/include/orvcore/OrvCore.h" ] || fail "the umbrella header is not installed"
if find "$prefix/include" -path '*/detail/*' -o -path '*/text/regex/*' | grep -q .; then
  fail "internal headers are installed"
fi

# A consumer found with find_package.
cmake -S tests/install/consumer -B "$scratch/cmake-consumer" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$scratch/cmake-consumer" >/dev/null
"$scratch/cmake-consumer/consumer" | grep -qx 'consumer ok' || fail "the find_package consumer failed"

# A consumer built with pkg-config alone; the .pc leaves the language standard to the consumer.
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name orvcore57.pc)")
[ "$(pkg-config --modversion orvcore57)" = "$version" ] || fail "orvcore57.pc gives another version"
[ "$(realpath "$(pkg-config --variable=prefix orvcore57)")" = "$prefix" ] || fail "orvcore57.pc does not follow its prefix"
case " $(pkg-config --cflags orvcore57) " in *" -std="*) fail "orvcore57.pc forces a language standard" ;; esac
mkdir -p "$scratch/pc-consumer"
# shellcheck disable=SC2046
c++ -std=c++17 -o "$scratch/pc-consumer/consumer" tests/install/consumer/main.cpp \
  $(pkg-config --cflags --libs orvcore57) -Wl,-rpath,"$(pkg-config --variable=libdir orvcore57)"
"$scratch/pc-consumer/consumer" | grep -qx 'consumer ok' || fail "the pkg-config consumer failed"
unset PKG_CONFIG_PATH

# The installed tool, by its run path.
"$prefix/bin/orvscene" --no-timings --svg "$scratch/scene.svg" >/dev/null
[ -s "$scratch/scene.svg" ] || fail "the installed orvscene wrote no picture"

# The installed Python module, from the moved prefix.
module=$(find "$prefix" -name '_orvcore*.so' | head -n 1)
if [ -n "$module" ]; then
  (cd "$scratch" && PYTHONPATH=$(dirname "$(dirname "$module")") "$python" -c "
import orvcore, sys
if orvcore.__version__ != '$version':
    sys.exit('orvcore.__version__ is %r, the project is $version' % orvcore.__version__)
")
elif find "$build/python" -name '_orvcore*.so' 2>/dev/null | grep -q .; then
  fail "the Python module was built but not installed"
fi
echo "moved install works from $prefix"
