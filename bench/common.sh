# Sourced by the bench scripts: a private work folder ($work) and the processes
# they start ($pids), all ended and the folder removed on exit.
#   start_sim BUILD_DIR FOLDER [rd5800-sim options...]
# starts rd5800-sim with its output in FOLDER and sets $device to its line.
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_sim() {
  local build=$1 folder=$2
  shift 2
  mkdir -p "$folder"
  "$build/bin/rd5800-sim" "$@" >"$folder/sim.out" 2>"$folder/sim.err" &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$folder/sim.out" ] && break; sleep 0.1; done
  device=$(head -n 1 "$folder/sim.out")
}
