# Sourced by the bench scripts: a private work folder ($work) and the processes
# they start ($pids), all ended and the folder removed on exit.
#   start_sim BUILD_DIR FOLDER [rd5800-sim options...]
# starts rd5800-sim with its output in FOLDER and sets $device to its line.
#   start_broker FOLDER
# starts mosquitto on 127.0.0.1 and sets $broker to its port once it listens.
#   start_service BUILD_DIR FOLDER METERS BAUD [rd5800-sim options...]
# starts rd5800-sim with meters 1..METERS and rd5800d polling all of them,
# publishing to $broker and recording in FOLDER/csv; sets $service to its pid.
#   start_window BUILD_DIR FOLDER BAUD [RD5800 options...]
# starts RD5800 offscreen, polling address 1 on $device (start_sim first), with
# its settings in FOLDER; sets $window to its pid.
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

start_broker() {
  local folder=$1
  mkdir -p "$folder"
  broker=$((30000 + RANDOM % 20000))
  printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$broker" >"$folder/mosquitto.conf"
  mosquitto -c "$folder/mosquitto.conf" >"$folder/mosquitto.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$broker") 2>/dev/null && break; sleep 0.1; done
}

start_service() {
  local build=$1 folder=$2 meters=$3 baud=$4
  shift 4
  start_sim "$build" "$folder" "$@" --addresses "$(seq -s, 1 "$meters")" --baud "$baud"
  local args=(--adapter "$device" --baud "$baud" --mqtt "127.0.0.1:$broker" --record-dir "$folder/csv")
  for m in $(seq 1 "$meters"); do args+=(--meter "m$m=$m"); done
  "$build/bin/rd5800d" "${args[@]}" 2>"$folder/service.log" &
  service=$!
  pids+=("$service")
}

start_window() {
  local build=$1 folder=$2 baud=$3
  shift 3
  HOME="$folder" XDG_CONFIG_HOME="$folder" QT_QPA_PLATFORM=offscreen \
    "$build/bin/RD5800" --port "$device" --baud "$baud" --address 1 --run "$@" >"$folder/window.log" 2>&1 &
  window=$!
  pids+=("$window")
}
