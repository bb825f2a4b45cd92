#!/usr/bin/env bash
# Installs what the build needs on a Debian machine when something is missing.
set -euo pipefail
need=()
have() { dpkg -s "$1" >/dev/null 2>&1; }
for pkg in g++ cmake make libgtest-dev libbenchmark-dev libeigen3-dev libnanoflann-dev libpcre2-dev; do
  have "$pkg" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${need[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
