#!/usr/bin/env bash
# Tests that scripts/demo.sh looks for a display before it installs or builds:
#  1. no DISPLAY and no WAYLAND_DISPLAY: exit 2 with the xvfb-run hint, and neither
#     deps.sh nor cmake has run;
#  2. with a display: deps.sh runs first, then cmake (a stub that fails, so the
#     demo stops there).
# The script runs from a copy of scripts/ whose deps.sh and cmake only note the call.
# Usage: demo_display_test.sh SOURCE_DIR
set -u
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

mkdir -p "$work/tree/scripts" "$work/bin"
cp "$source_dir/scripts/demo.sh" "$work/tree/scripts/demo.sh"
calls=$work/calls
printf '#!/usr/bin/env bash\necho deps >>"%s"\n' "$calls" >"$work/tree/scripts/deps.sh"
printf '#!/usr/bin/env bash\necho cmake >>"%s"\nexit 1\n' "$calls" >"$work/bin/cmake"
chmod +x "$work/bin/cmake"

: >"$calls"
env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/bin:$PATH" \
  bash "$work/tree/scripts/demo.sh" >"$work/out" 2>"$work/err"
code=$?
[ "$code" -eq 2 ] || fail "without a display: exit $code, expected 2"
grep -q 'xvfb-run -a' "$work/err" || fail "without a display: no xvfb-run hint in: $(cat "$work/err")"
[ ! -s "$calls" ] || fail "without a display, ran: $(tr '\n' ' ' <"$calls")"

: >"$calls"
env -u WAYLAND_DISPLAY DISPLAY=:99 PATH="$work/bin:$PATH" \
  bash "$work/tree/scripts/demo.sh" >"$work/out" 2>"$work/err"
[ "$(tr '\n' ' ' <"$calls")" = "deps cmake " ] ||
  fail "with a display, expected deps then cmake, ran: $(tr '\n' ' ' <"$calls")"

[ "$status" -eq 0 ] && echo "demo.sh checks for a display before it builds"
exit "$status"
