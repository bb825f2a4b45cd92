#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine when something is missing:
# Debian packages (compilers, GoogleTest and its sources for the 32-bit build, the benchmark peers,
# Doxygen, Python with numpy/scipy/pytest/pybind11, headless Chromium), then the pinned npm packages
# of the orvscene page from their lock file.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
have() { dpkg -s "$1" >/dev/null 2>&1; }
packages=(
  g++
  cmake
  make
  ninja-build
  ccache
  pkgconf
  libgtest-dev
  googletest
  g++-multilib
  libbenchmark-dev
  libeigen3-dev
  libnanoflann-dev
  libpcre2-dev
  zlib1g-dev
  gemmi-dev
  tao-pegtl-dev
  nlohmann-json3-dev
  doxygen
  graphviz
  clang-format
  abigail-tools
  lintian
  dpkg-dev
  python3
  python3-dev
  python3-numpy
  python3-scipy
  python3-pytest
  python3-gemmi
  python3-distributed
  python3-setuptools
  python3-venv
  python3-pip
  mypy
  pybind11-dev
  chromium
)
for pkg in "${packages[@]}"; do
  have "$pkg" || need+=("$pkg")
done
# Node.js may come with its own npm (a machine's nodejs package often does); Debian's npm is wanted
# only where there is none, since it conflicts with such a nodejs.
command -v node >/dev/null 2>&1 || need+=(nodejs)
command -v npm >/dev/null 2>&1 || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${need[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
# JavaScript packages of the orvscene page and its browser tests, exactly as locked.
web=tools/orvscene/web
if [ -f "$web/package-lock.json" ]; then
  if [ ! -d "$web/node_modules" ] || [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
    (cd "$web" && npm ci --no-audit --no-fund --loglevel=error)
  fi
fi
