#!/usr/bin/env bash
# Runs a command with a private X server (Xvfb) of the given screen size as its display, at 96
# dots per inch and with no window manager, and ends the server afterwards:
#
#   scripts/on-screen.sh 1280x800 command [arguments...]
#
# The server takes the first free display, or the one TM_XVFB_DISPLAY names (a number), for a
# machine where displays are shared out. The command's exit status is the script's.
set -euo pipefail

size=$1
shift
work=$(mktemp -d)
server=
stop() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap stop EXIT

options=(-screen 0 "${size}x24" -dpi 96 -nolisten tcp)
if [ -n "${TM_XVFB_DISPLAY:-}" ]; then
    Xvfb ":$TM_XVFB_DISPLAY" "${options[@]}" >"$work/xvfb.log" 2>&1 &
    server=$!
    display=$TM_XVFB_DISPLAY
    ready() { [ -S "/tmp/.X11-unix/X$display" ]; }
else
    Xvfb -displayfd 3 "${options[@]}" 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    server=$!
    ready() { [ -s "$work/display" ]; }
fi
for _ in $(seq 100); do
    ready && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
if ! ready; then
    echo "on-screen: Xvfb did not start: $(cat "$work/xvfb.log")" >&2
    exit 1
fi
[ -n "${display:-}" ] || display=$(head -n1 "$work/display")

# Qt wants a private runtime folder.
mkdir -m 700 "$work/runtime"
status=0
DISPLAY=":$display" XDG_RUNTIME_DIR="$work/runtime" "$@" || status=$?
exit "$status"
