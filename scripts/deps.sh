#!/usr/bin/env bash
# Installs the Debian packages the project needs when any is missing.
# Quick and silent when everything is present. Needs root (or prints the command).
#   bash scripts/deps.sh          install what is missing
#   bash scripts/deps.sh --list   print the package list, one a line (read by check-deps.sh)
# scripts/check-deps.sh, run by scripts/test.sh, fails when the build uses a CMake
# package or a program that no package below (nor one of their dependencies) brings.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  # qt6-charts-dev needs Qt6OpenGLConfig.cmake but does not depend on its package.
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  # lupdate/lrelease and Qt's own translations, for the translated windows.
  qt6-l10n-tools qt6-translations-l10n
  fonts-wqy-zenhei
  libgtest-dev libgmock-dev libbenchmark-dev
  libmodbus-dev mbpoll socat
  xvfb xauth
  # rd5800d: MQTT client, HTTP server; the broker and promtool for its tests;
  # systemd-analyze (package systemd) scores the unit's hardening.
  libmosquitto-dev libmicrohttpd-dev mosquitto mosquitto-clients prometheus systemd
  # rd5800d's InfluxDB writer: zlib for the gzip bodies; InfluxDB 1.x for its tests.
  zlib1g-dev influxdb
  # openssl makes the certificates of the TLS tests.
  openssl
)
# clang builds the fuzz targets; the tests run without it when it is missing.
optional=(clang libclang-rt-dev)

if [ "${1:-}" = --list ]; then
  printf '%s\n' "${packages[@]}" "${optional[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}" "${optional[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
