#!/usr/bin/env bash
# rd5800d's figures against a simulated bus: CPU and resident memory while it
# polls N meters at a baud rate and publishes them to a local mosquitto, and the
# time from a meter's reply to its state message at an MQTT subscriber.
#   bash bench/service_figures.sh BUILD_DIR [SECONDS] [METERS] [BAUD]
# BUILD_DIR holds bin/rd5800d and bin/rd5800-sim (a Release build for figures).
# The latency of one state message is the subscriber's receipt time (mosquitto_sub
# %U) minus the message's "time", which the service takes when the reply's last
# byte is in (the reply-driven read ends there); both clocks are this machine's.
# Prints one line of figures; everything runs on 127.0.0.1 and is ended here.
set -euo pipefail
build=${1:?usage: service_figures.sh BUILD_DIR [SECONDS] [METERS] [BAUD]}
seconds=${2:-60}
meters=${3:-10}
baud=${4:-9600}
. "$(dirname "$0")/common.sh"

start_broker "$work"
mosquitto_sub -h 127.0.0.1 -p "$broker" -t 'rd5800/+/state' -F '%U|%p' >"$work/states.txt" 2>/dev/null &
pids+=($!)
start_service "$build" "$work" "$meters" "$baud"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$service/stat"; }
sleep 10                                  # start-up and the first rounds are not counted
c0=$(cpu); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu); t1=$(date +%s.%N)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$service/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$service/status")
kill -TERM "$service"; wait "$service" || true

# Latency of every state message: receipt - its "time".
while IFS='|' read -r received payload; do
  stamp=$(sed -n 's/.*"time":"\([^"]*\)".*/\1/p' <<<"$payload")
  [ -n "$stamp" ] || continue
  echo "$received $(date -d "$stamp" +%s.%N)"
done <"$work/states.txt" | awk '{printf "%.3f\n", ($1 - $2) * 1000}' | sort -n >"$work/latency.txt"
n=$(wc -l <"$work/latency.txt")
median=$(awk -v n="$n" 'NR == int((n + 1) / 2) {print}' "$work/latency.txt")
p95=$(awk -v n="$n" 'NR == int(n * 0.95 + 0.5) {print}' "$work/latency.txt")
max=$(tail -n 1 "$work/latency.txt")
rows=$(cat "$work"/csv/*.csv | grep -c ',' || true)
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v rss="$rss" -v hwm="$hwm" \
    -v n="$n" -v med="$median" -v p95="$p95" -v max="$max" -v m="$meters" -v b="$baud" -v rows="$rows" \
    'BEGIN { printf "meters %d, %d baud: CPU %.2f %% of a core, RSS %.1f MB (peak %.1f MB), %d states, reply to subscriber median %s ms, p95 %s ms, max %s ms, %d CSV lines\n",
             m, b, 100 * (c1 - c0) / hz / (t1 - t0), rss / 1024, hwm / 1024, n, med, p95, max, rows }'
