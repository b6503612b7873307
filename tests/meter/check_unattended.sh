#!/usr/bin/env bash
# The programs started from a command line, as a logging user or a script starts
# them: RD5800 --port --address --run --record writes rows against the simulator
# with nobody at the screen; a record file that cannot be opened and every bad
# option end at once with one line on stderr and exit status 2, for both programs.
# Usage: check_unattended.sh RD5800 NOLVEX RD5800-SIM
set -u
rd5800=$1 nolvex=$2 sim=$3
status=0
fail() { echo "FAIL: $*"; status=1; }
dir=$(mktemp -d)
cleanup() { [ -n "${simpid:-}" ] && kill "$simpid" 2>/dev/null; [ -n "${apppid:-}" ] && kill -9 "$apppid" 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen

# Mistakes: exit status 2, one line naming it and a pointer to --help, nothing else.
expect_refused() {   # program, arguments...
  local program=$1; shift
  local err rc
  err=$(timeout 20 "$program" "$@" 2>&1 >/dev/null </dev/null); rc=$?
  [ $rc -eq 2 ] || fail "$(basename "$program") $* exited $rc, expected 2"
  [ "$(printf '%s\n' "$err" | wc -l)" -le 2 ] || fail "$(basename "$program") $* printed: $err"
}
expect_refused "$rd5800" --bogus
expect_refused "$rd5800" --run
expect_refused "$rd5800" --address 300
expect_refused "$rd5800" --parity X
expect_refused "$rd5800" --record /nonexistent-folder/x.csv
expect_refused "$nolvex" --bogus
expect_refused "$nolvex" --lang xx
expect_refused "$nolvex" extra

# Unattended logging against the simulator: rows come in without any input.
"$sim" --link "$dir/tty" >/dev/null 2>"$dir/sim.err" &
simpid=$!
for _ in $(seq 50); do [ -e "$dir/tty" ] && break; sleep 0.1; done
[ -e "$dir/tty" ] || { fail "the simulator did not start: $(cat "$dir/sim.err")"; exit 1; }
"$rd5800" --port "$dir/tty" --address 1 --run --record "$dir/log.csv" </dev/null >"$dir/app.out" 2>&1 &
apppid=$!
rows=0
for _ in $(seq 150); do
  [ -f "$dir/log.csv" ] && rows=$(($(wc -l <"$dir/log.csv") - 1))
  [ "$rows" -ge 3 ] && break
  sleep 0.1
done
[ "$rows" -ge 3 ] || fail "RD5800 --run --record wrote $rows rows in 15 s: $(cat "$dir/app.out")"
kill -9 "$apppid" 2>/dev/null; wait "$apppid" 2>/dev/null; apppid=
[ $status -eq 0 ] && echo "OK"
exit $status
