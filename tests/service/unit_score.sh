#!/usr/bin/env bash
# Scores rd5800d's systemd unit with `systemd-analyze security --offline=yes`
# and fails above the bound; also checks that the unit reloads with SIGHUP and
# leaves the serial adapters reachable.
# Usage: unit_score.sh UNIT_FILE [MAX]   (exit 77 when systemd-analyze is absent)
set -u
unit=$1
max=${2:-3.0}
if ! command -v systemd-analyze >/dev/null; then
  echo "skipped: systemd-analyze is not installed (Debian package systemd); the unit's score was not checked"
  exit 77
fi
out=$(systemd-analyze security --offline=yes "$unit" 2>&1)
score=$(printf '%s\n' "$out" | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
if [ -z "$score" ]; then
  printf '%s\n' "$out"
  echo "FAIL: systemd-analyze gave no score for $unit"
  exit 1
fi
echo "$(basename "$unit"): exposure $score (at most $max)"
status=0
if ! awk -v s="$score" -v m="$max" 'BEGIN { exit !(s + 0 <= m + 0) }'; then
  printf '%s\n' "$out" | grep '✗'
  echo "FAIL: exposure $score is above $max"
  status=1
fi
grep -q '^ExecReload=.*-HUP' "$unit" || { echo "FAIL: no ExecReload sending SIGHUP"; status=1; }
for class in ttyUSB ttyACM ttyS; do
  grep -q "^DeviceAllow=char-$class rw" "$unit" || { echo "FAIL: serial class $class not allowed"; status=1; }
done
grep -q '^SupplementaryGroups=dialout$' "$unit" || { echo "FAIL: not in group dialout"; status=1; }
exit $status
