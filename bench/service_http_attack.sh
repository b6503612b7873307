#!/usr/bin/env bash
# rd5800d's resident memory while HTTP clients misbehave, against a simulated
# meter: the peak (VmHWM) and current (VmRSS) resident memory after each of
#   a 300 MB header line without a newline,
#   a GET with "Content-Length: 100000000000" and 500 MB of body,
#   3.4 MB of pipelined GET /metrics whose replies are never read,
#   1060 connections holding half-sent requests (and /healthz asked meanwhile),
#   5000 requests asking for a WebSocket upgrade.
#   bash bench/service_http_attack.sh BUILD_DIR
# BUILD_DIR holds bin/rd5800d and bin/rd5800-sim. Needs socat. Everything runs
# on 127.0.0.1 and is ended here. Prints one line per step, in KiB.
set -uo pipefail
build=${1:?usage: service_http_attack.sh BUILD_DIR}
ulimit -n 4096 2>/dev/null || ulimit -n "$(ulimit -Hn)"
. "$(dirname "$0")/common.sh"

start_sim "$build" "$work" --addresses 1
port=$((30000 + RANDOM % 20000))
"$build/bin/rd5800d" --adapter "$device" --meter main=1 --http "127.0.0.1:$port" 2>"$work/service.log" &
service=$!
pids+=("$service")
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
sleep 2

memory() {
  awk '/^VmHWM/ {h=$2} /^VmRSS/ {r=$2} END {printf "peak %6d  now %6d", h, r}' "/proc/$service/status"
}
healthz() {
  exec 9<>"/dev/tcp/127.0.0.1/$port" || { echo "no connection"; return; }
  printf 'GET /healthz HTTP/1.0\r\n\r\n' >&9
  head -n 1 <&9 | tr -d '\r'
  exec 9>&-
}
echo "start                         $(memory)"

{ printf 'GET /metrics HTTP/1.1\r\nX-Fill: '; head -c 300000000 /dev/zero | tr '\0' a; } \
  | socat -u - "TCP:127.0.0.1:$port" 2>/dev/null
echo "300 MB header               $(memory)"

{ printf 'GET /metrics HTTP/1.1\r\nContent-Length: 100000000000\r\n\r\n'; head -c 500000000 /dev/zero; } \
  | socat -u - "TCP:127.0.0.1:$port" 2>/dev/null
echo "500 MB body on GET          $(memory)"

request=$'GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n'
for _ in $(seq 100000); do printf '%s' "$request"; done >"$work/pipeline"
timeout 10 socat -u "FILE:$work/pipeline" "TCP:127.0.0.1:$port" 2>/dev/null &
pipeline=$!
sleep 5
echo "3.4 MB unread pipeline      $(memory)"
kill "$pipeline" 2>/dev/null; wait "$pipeline" 2>/dev/null

held=()
for _ in $(seq 1060); do
  if exec {fd}<>"/dev/tcp/127.0.0.1/$port"; then
    printf 'GET /metrics HTTP/1.1\r\nHost: x\r\n' >&"$fd" 2>/dev/null
    held+=("$fd")
  fi
done 2>/dev/null
echo "1060 held connections       $(memory)  fds $(ls "/proc/$service/fd" | wc -l)  /healthz: $(healthz)"
for fd in "${held[@]}"; do exec {fd}>&-; done

for _ in $(seq 5000); do
  exec {fd}<>"/dev/tcp/127.0.0.1/$port" 2>/dev/null || continue
  printf 'GET /metrics HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n' >&"$fd"
  head -c 12 <&"$fd" >/dev/null
  exec {fd}>&-
done
echo "5000 upgrade requests       $(memory)  log lines $(wc -l <"$work/service.log")"
