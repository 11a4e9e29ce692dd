#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Trelvo (release) and starts the host simulator, which
# starts the game client inside its window, with the Durak game server and bot players.
#   ./play.sh [HOST OPTIONS]                   play on this desktop (trelvo-host --help lists the options)
#   ./play.sh --headless [SECONDS] [DIR] [-- HOST OPTIONS]
#                                              no display needed: a private X server, your seat played by
#                                              pointer clicks, a screenshot every few seconds into DIR
#                                              (defaults 60 and screenshots/play/)
#   ./play.sh --server ws://HOST:PORT          play on a trelvo-server instead of against local bots
#   ./play.sh --second-seat [...]              a second host and client on this machine (own pipe and
#                                              instance names, the name USER-2): two seats of one table
#   ./play.sh --start-server [SERVER OPTIONS]  run trelvo-server here (trelvo-server --help lists them)
set -euo pipefail
cd "$(dirname "$0")"

if [ "${1:-}" = "--start-server" ]; then
    shift
    bash tools/setup.sh
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVO_TESTS=OFF >/dev/null
    cmake --build build/release --target trelvo-server -j2
    exec build/release/netserver/trelvo-server "$@"
fi

seat=()
if [ "${1:-}" = "--second-seat" ]; then
    shift
    export TRELVO_SEAT=2
    seat=(--name "${USER:-player}-2")
fi

headless=0
seconds=60
shots=screenshots/play${TRELVO_SEAT:+-$TRELVO_SEAT}
if [ "${1:-}" = "--headless" ]; then
    headless=1
    shift
    if [ $# -gt 0 ] && [ "$1" != "--" ]; then seconds=$1; shift; fi
    if [ $# -gt 0 ] && [ "$1" != "--" ]; then shots=$1; shift; fi
    [ "${1:-}" = "--" ] && shift
    case "$seconds" in '' | *[!0-9]*) echo "play.sh: SECONDS must be a number, not '$seconds'" >&2; exit 2 ;; esac
fi

if [ "$headless" -eq 0 ] && [ -z "${DISPLAY:-}" ]; then
    echo "play.sh: no display to show the game on; run ./play.sh --headless to play it under a private X server with screenshots" >&2
    exit 1
fi

bash tools/setup.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVO_TESTS=OFF >/dev/null
cmake --build "$build" --target trelvo trelvo-host -j2
host="$build/host/trelvo-host"

# The client embeds into the host's window through X11 (XWayland on a Wayland desktop).
export QT_QPA_PLATFORM=xcb
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
fi

if [ "$headless" -eq 0 ]; then
    exec "$host" "${seat[@]}" "$@"
fi

xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
log=$(mktemp -d)
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$log/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "play.sh: Xvfb did not start"; cat "$log/xvfb.log"; exit 1; }
openbox >"$log/openbox.log" 2>&1 &
wm_pid=$!

mkdir -p "$shots"
rm -f "$shots"/host-*.png
echo "play.sh: playing for $seconds s on display $DISPLAY; screenshots go to $shots/"
"$host" "${seat[@]}" --autoplay --screenshots "$shots" --screenshot-every 5 --quit-after "$seconds" "$@"
echo "play.sh: done; $(find "$shots" -name 'host-*.png' | wc -l) screenshots in $shots/"
