#!/usr/bin/env bash
# Installs the Debian packages the project needs when any is missing.
# Quick and silent when everything is present. Needs root (or prints the command).
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libgl-dev
  fonts-wqy-zenhei
  libgtest-dev libgmock-dev libbenchmark-dev
  libmodbus-dev mbpoll socat
  xvfb xauth
)
# clang builds the fuzz targets; the tests run without it when it is missing.
optional=(clang libclang-rt-dev)

missing=()
for p in "${packages[@]}" "${optional[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
