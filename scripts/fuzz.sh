#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 300) from its seed corpus.
# Usage: bash scripts/fuzz.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
build=${2:-build-fuzz}
if [ ! -d "$build/bin" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRD_FUZZ=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target fuzzers
fi
export QT_QPA_PLATFORM=offscreen
status=0
for target in "$build"/bin/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=tests/fuzz/corpus/$name
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  echo "== $name: ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>"$work.log"; then
    tail -n 40 "$work.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work.log" | tail -n 2
  fi
  rm -rf "$work" "$work.log"
done
exit $status
