#!/usr/bin/env bash
# The monitor against the simulated meter: installs what is missing, builds a
# release in build/, then starts rd5800-sim with RD5800 connected to it (port 1 is
# the simulator's pseudo-terminal). Without a display it says so and stops before
# installing or building anything. Extra arguments go to the simulator, e.g.
#   bash scripts/demo.sh --pt 100 --ct 5 --stray 0.1
# --tcp runs the same demo through a simulated Ethernet gateway instead: the
# simulator listens on a free loopback port as a Modbus TCP gateway and port 1
# is its modbus-tcp:// URL (--tcp rtu: RTU frames over TCP).
set -euo pipefail
cd "$(dirname "$0")/.."

gateway=()
if [ "${1:-}" = "--tcp" ]; then
  shift
  if [ "${1:-}" = "rtu" ]; then
    shift
    gateway=(--tcp 0)
  else
    gateway=(--modbus-tcp 0)
  fi
fi

# Said before anything is installed or built: without a display there is nothing
# to show, and the build takes minutes.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
No display: RD5800 is a desktop program and needs one.
Run the demo on a desktop, or under a virtual display, for example:
  xvfb-run -a -s "-screen 0 1024x800x24" bash scripts/demo.sh
(and look at it with x11vnc / a screenshot), or see the committed screenshot
docs/meter-window.png.
TEXT
  exit 2
fi

bash scripts/deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRD_TESTS=OFF -DRD_BENCH=OFF >/dev/null
targets=(RD5800 rd5800-sim)
# The module settings button starts nolvex from beside RD5800 when it is built.
if cmake --build build --target help 2>/dev/null | grep -q '\bnolvex\b'; then
  targets+=(nolvex)
fi
cmake --build build -j2 --target "${targets[@]}"

if [ ${#gateway[@]} -gt 0 ]; then
  echo "Through a simulated gateway: \"通讯设置\" shows COM 1's URL under the port number."
fi
cat <<'TEXT'
RD5800 against the simulated meter (address 1, 9600 baud, no parity):
  1. accept "通讯设置" with "确    定" (COM 1 is the simulator);
  2. type 1 into "子机地址" (or press "轮询地址" to search for it);
  3. press "运行" and watch the readings.
TEXT
exec build/bin/rd5800-sim --address 1 "${gateway[@]}" "$@" -- build/bin/RD5800
