#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks the result: the three
# programs side by side in bin/ (RD5800 looks for nolvex in its own folder first),
# a desktop entry and an icon for RD5800 and nolvex, each entry starting a program
# that was installed and naming an icon that was installed.
# Usage: install_check.sh BUILD_DIR [CMAKE]
set -u
build=$1
cmake=${2:-cmake}
for program in RD5800 nolvex rd5800-sim; do
  if [ ! -x "$build/bin/$program" ]; then
    echo "skipped: $program is not built"
    exit 77
  fi
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
if ! "$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log"; rm -f "$prefix.log"
  echo "FAIL: cmake --install failed"
  exit 1
fi
rm -f "$prefix.log"
status=0
fail() { echo "FAIL: $*"; status=1; }

for program in RD5800 nolvex rd5800-sim; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
done
for app in rd5800 nolvex; do
  entry=$prefix/share/applications/$app.desktop
  if [ ! -f "$entry" ]; then
    fail "share/applications/$app.desktop missing"
    continue
  fi
  head -n 1 "$entry" | grep -qx '\[Desktop Entry\]' || fail "$app.desktop: no [Desktop Entry] group first"
  for key in Type Name Exec Icon Categories; do
    grep -q "^$key=" "$entry" || fail "$app.desktop: no $key"
  done
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$prefix/bin/$exec_name" ] || fail "$app.desktop starts $exec_name, which is not in bin/"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  ls "$prefix"/share/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "$app.desktop names icon $icon, not installed"
done
for icon in "$prefix"/share/icons/hicolor/scalable/apps/*.svg; do
  grep -q '<svg' "$icon" || fail "$(basename "$icon") is not an SVG"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop-file-validate"
fi
# The service: its program and a systemd unit that starts it with /etc/rd5800d.conf.
if [ -x "$build/bin/rd5800d" ]; then
  [ -x "$prefix/bin/rd5800d" ] || fail "bin/rd5800d missing or not executable"
  unit=$prefix/lib/systemd/system/rd5800d.service
  if [ -f "$unit" ]; then
    grep -q '^ExecStart=.*/rd5800d --config /etc/rd5800d.conf$' "$unit" || fail "rd5800d.service: ExecStart"
    grep -q '^Restart=on-failure$' "$unit" || fail "rd5800d.service: no Restart=on-failure"
    grep -q '^SupplementaryGroups=dialout$' "$unit" || fail "rd5800d.service: not in dialout"
    # Its hardening score (printed), at most 3.0; skipped without systemd-analyze.
    bash "$(dirname "$0")/../service/unit_score.sh" "$unit" 3.0
    [ $? -eq 1 ] && fail "rd5800d.service: hardening"
  else
    fail "lib/systemd/system/rd5800d.service missing"
  fi
fi
[ $status -eq 0 ] && echo "installed and checked in $prefix"
exit $status
