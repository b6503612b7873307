#!/usr/bin/env bash
# RD5800's CPU while its main window polls one simulated meter (offscreen, no
# display needed): the share of a core over SECONDS, after the start-up.
#   bash bench/window_figures.sh BUILD_DIR [SECONDS] [BAUD] [EXTRA RD5800 OPTIONS...]
# SIM_OPTIONS, when set, are passed to rd5800-sim too ("--freeze": readings that
# stay the same from one poll to the next, as a meter at rest gives).
# BUILD_DIR holds bin/RD5800 and bin/rd5800-sim (a Release build for figures).
# Prints one line of figures; everything is ended here.
set -euo pipefail
build=${1:?usage: window_figures.sh BUILD_DIR [SECONDS] [BAUD] [OPTIONS...]}
seconds=${2:-60}
baud=${3:-9600}
shift $(( $# < 3 ? $# : 3 ))
. "$(dirname "$0")/common.sh"

start_sim "$build" "$work" ${SIM_OPTIONS:-} --baud "$baud"

start_window "$build" "$work" "$baud" "$@"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$window/stat"; }
sleep 10                                  # start-up is not counted
c0=$(cpu); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu); t1=$(date +%s.%N)
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v b="$baud" \
    'BEGIN { printf "main window polling at %d baud: CPU %.2f %% of a core\n", b, 100 * (c1 - c0) / hz / (t1 - t0) }'
