#!/usr/bin/env bash
# CPU and wake-ups per thread, from the scheduler's own nanosecond counts
# (/proc/PID/task/*/schedstat): finer than the 10 ms ticks the other figures
# scripts read, and it tells which thread a change moved.
#   bash bench/thread_figures.sh service BUILD_DIR [SECONDS]   rd5800d, 10 meters at 9600, MQTT and CSV
#   bash bench/thread_figures.sh window BUILD_DIR [SECONDS]    RD5800 polling one meter at 9600, offscreen
# SIM_OPTIONS, when set, are passed to rd5800-sim too. A thread that ends during
# the measurement is not counted. Prints one line a thread and the total.
set -euo pipefail
what=${1:?usage: thread_figures.sh service|window BUILD_DIR [SECONDS]}
build=${2:?usage: thread_figures.sh service|window BUILD_DIR [SECONDS]}
seconds=${3:-30}
. "$(dirname "$0")/common.sh"

case "$what" in
service)
  start_broker "$work"
  start_service "$build" "$work" 10 9600 ${SIM_OPTIONS:-}
  process=$service
  ;;
window)
  start_sim "$build" "$work" ${SIM_OPTIONS:-} --baud 9600
  start_window "$build" "$work" 9600
  process=$window
  ;;
*)
  echo "thread_figures.sh: say service or window" >&2
  exit 2
  ;;
esac
sleep 10                                  # start-up is not counted

# thread id, name, nanoseconds on a core, voluntary switches (each one a sleep)
snapshot() {
  for t in /proc/"$process"/task/*; do
    printf '%s %s %s %s\n' "${t##*/}" "$(tr ' ' _ <"$t/comm")" "$(cut -d' ' -f1 "$t/schedstat")" \
      "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status")"
  done | sort
}
snapshot >"$work/before"
sleep "$seconds"
snapshot >"$work/after"
join "$work/before" "$work/after" | awk -v s="$seconds" '
  { ns = $6 - $3; total += ns; wakes += ($7 - $4) / s
    printf "%-18s %.3f %% of a core, %d wakes/s\n", $2, 100 * ns / 1e9 / s, ($7 - $4) / s }
  END { printf "%-18s %.3f %% of a core, %d wakes/s\n", "total", 100 * total / 1e9 / s, wakes }'
