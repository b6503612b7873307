#!/usr/bin/env bash
# Fault soak: runs the main window (offscreen, real serial adapter, real clock)
# against rd5800-sim with every fault kind on at a few percent for MINUTES, then
# reports ticks, requests, the success rate shown against the simulator's count,
# resident memory and crashes. Exit status 0 when every figure holds.
#
#   scripts/soak.sh MINUTES [soak_driver options, e.g. --baud 19200 --seed 3 --fault 0.03]
#
# Builds soak_driver and rd5800-sim in $SOAK_BUILD (default build-dev) if needed.
# The simulator's log is kept in $SOAK_KEEP (default /tmp/rdsoak-<time>) when the run fails.
set -uo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: scripts/soak.sh MINUTES [soak_driver options]" >&2
  exit 2
fi
minutes=$1
shift

build=${SOAK_BUILD:-build-dev}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 2
fi
cmake --build "$build" -j2 --target soak_driver rd5800-sim >/dev/null || { echo "soak: build failed" >&2; exit 2; }

export QT_QPA_PLATFORM=offscreen
keep=${SOAK_KEEP:-/tmp/rdsoak-$(date +%Y%m%d-%H%M%S)}
echo "soak: $minutes min, started $(date '+%F %T'), build $build, log folder $keep"
# Resident memory may grow at most 2 MB after the first minute.
"$build/bin/soak_driver" "$minutes" --max-rss-growth-kib 2048 --keep "$keep" "$@"
status=$?
if [ $status -ge 128 ]; then
  echo "crashes: 1 (soak_driver ended by signal $((status - 128)))"
  echo "result: FAIL"
elif [ $status -eq 2 ]; then
  echo "crashes: 0; the soak could not start"
else
  echo "crashes: 0"
  [ $status -eq 0 ] && rm -rf "$keep"
fi
echo "soak: ended $(date '+%F %T'), exit status $status"
exit $status
