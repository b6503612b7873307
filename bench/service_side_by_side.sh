#!/usr/bin/env bash
# Two builds of rd5800d side by side, each polling its own simulated bus of N
# meters and publishing to its own mosquitto with a subscriber: the CPU of both
# over the same seconds. On a shared or virtual machine the figure of one run
# moves by a third from run to run; two services measured together meet the
# same disturbances, so their difference is what the builds change.
#   bash bench/service_side_by_side.sh BUILD_A BUILD_B [SECONDS] [METERS] [BAUD]
# Prints one line; everything runs on 127.0.0.1 and is ended here.
set -euo pipefail
a=${1:?usage: service_side_by_side.sh BUILD_A BUILD_B [SECONDS] [METERS] [BAUD]}
b=${2:?usage: service_side_by_side.sh BUILD_A BUILD_B [SECONDS] [METERS] [BAUD]}
seconds=${3:-60}
meters=${4:-10}
baud=${5:-9600}
. "$(dirname "$0")/common.sh"

# Starts one rig in $work/TAG; the service's pid goes to $work/TAG/pid.
rig() {
  local tag=$1 build=$2 folder="$work/$1"
  start_broker "$folder"
  mosquitto_sub -h 127.0.0.1 -p "$broker" -t 'rd5800/+/state' >/dev/null 2>&1 &
  pids+=($!)
  start_service "$build" "$folder" "$meters" "$baud"
  echo "$service" >"$folder/pid"
}
rig A "$a"
rig B "$b"
pa=$(cat "$work/A/pid")
pb=$(cat "$work/B/pid")
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
sleep 10                                  # start-up and the first rounds are not counted
a0=$(cpu "$pa"); b0=$(cpu "$pb"); t0=$(date +%s.%N)
sleep "$seconds"
a1=$(cpu "$pa"); b1=$(cpu "$pb"); t1=$(date +%s.%N)
awk -v a="$((a1 - a0))" -v b="$((b1 - b0))" -v t0="$t0" -v t1="$t1" -v hz="$(getconf CLK_TCK)" -v m="$meters" -v baud="$baud" \
    'BEGIN { printf "meters %d, %d baud: A %.2f %% of a core, B %.2f %%\n", m, baud, 100 * a / hz / (t1 - t0), 100 * b / hz / (t1 - t0) }'
