#!/usr/bin/env bash
# The Debian packages of the normal build (CPack: the runtime library, the
# development files, orvscene and the Python module), checked by lintian (no
# errors allowed), then unpacked with dpkg-deb -x into a scratch root (never
# installed on the machine): a consumer builds and runs against that root, as
# do the packaged orvscene and Python module.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build/test-release
out=$root/build/test-packages
python=/usr/bin/python3
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; exit 1; }
shopt -s nullglob
debs=("$out"/*.deb)
[ ${#debs[@]} -ge 2 ] || { echo "cpack made no packages" >&2; exit 1; }
for deb in "${debs[@]}"; do
  echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done

# lintian: errors fail, warnings are shown.
lintian --tag-display-limit 0 "${debs[@]}" | tee "$out/lintian.log" || true
if grep -q '^E: ' "$out/lintian.log"; then
  echo "lintian reports errors" >&2
  exit 1
fi

# Unpacked into a scratch root; everything runs from there.
unpacked=$out/root
for deb in "${debs[@]}"; do
  dpkg-deb -x "$deb" "$unpacked"
done
unset LD_LIBRARY_PATH PYTHONPATH
usr=$unpacked/usr
cmake -S tests/install/consumer -B "$out/consumer" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$usr" >/dev/null
cmake --build "$out/consumer" >/dev/null
"$out/consumer/consumer" | grep -qx 'consumer ok'
PKG_CONFIG_PATH=$(dirname "$(find "$usr" -name orvcore57.pc)") pkg-config --exists orvcore57
"$usr/bin/orvscene" --no-timings --svg "$out/scene.svg" >/dev/null
module=$(find "$usr" -name '_orvcore*.so' | head -n 1)
if [ -n "$module" ]; then
  (cd "$out" && PYTHONPATH=$(dirname "$(dirname "$module")") "$python" -c "import orvcore")
fi
echo "Debian packages pass lintian and work unpacked: $(cd "$out" && echo *.deb)"
