#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, when any is missing.
# Needs root (or sudo) only when something is missing.
set -euo pipefail
need=()
# The Python module and its tests: pybind11 and Debian's python3 with pytest,
# and what `pip install --no-build-isolation .` needs offline.
for pkg in "$@" cmake g++ make libgtest-dev libcli11-dev nlohmann-json3-dev \
           libpugixml-dev libxml2-utils groff-base pybind11-dev \
           python3-pybind11 python3-dev python3-pytest python3-setuptools \
           python3-wheel python3-build python3-venv parallel python3-markdown; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi
