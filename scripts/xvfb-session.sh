# shellcheck shell=bash
# Sourced by the scripts that drive the real program on a private X server (Xvfb) from outside, as
# a user would: starts the server, and gives helpers to wait for windows, press keys and stop.
# The sourcing script sets `build` (where a failure picture goes), `session` (its name in
# messages) and `wait_limit` (seconds to wait for a window), and starts the program with its
# output in "$work/program.log" and its process id in `program_pid`. It may set `xvfb_size`
# (width x height) for a screen of another size than the default.
: "${build:?}" "${session:?}" "${wait_limit:?}"
work=$(mktemp -d)
xvfb_pid=
program_pid=

cleanup() {
    if [ -n "$program_pid" ]; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Reports what went wrong with the screen as it was and the program's own output, then stops.
fail() {
    echo "$session: $*" >&2
    if [ -n "${DISPLAY:-}" ] && import -window root "$build/$session-failure.png" 2>/dev/null; then
        echo "$session: the screen at that moment is in $build/$session-failure.png" >&2
    fi
    if [ -s "$work/program.log" ]; then
        echo "$session: the program's output:" >&2
        sed 's/^/    /' "$work/program.log" >&2
    fi
    exit 1
}

# Nothing of this run may reach the user's own screen.
unset DISPLAY
# Large enough for the biggest window at scale 2; a fixed DPI keeps the pictures the same everywhere.
screen_size=${xvfb_size:-2560x2048}
# The server takes the first free display, or the one TM_XVFB_DISPLAY names (a number), for a
# machine where displays are shared out.
if [ -n "${TM_XVFB_DISPLAY:-}" ]; then
    Xvfb ":$TM_XVFB_DISPLAY" -screen 0 "${screen_size}x24" -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    # The display is ready once this server answers on it.
    for _ in $(seq 50); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        if DISPLAY=":$TM_XVFB_DISPLAY" xdotool getdisplaygeometry >/dev/null 2>&1; then
            echo "$TM_XVFB_DISPLAY" >"$work/display"
            break
        fi
        sleep 0.1
    done
else
    Xvfb -displayfd 3 -screen 0 "${screen_size}x24" -dpi 96 -nolisten tcp 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
fi
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not report its display"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

# Qt wants a private runtime folder; a fresh one keeps the user's out of the picture.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Title patterns are anchored, so that "Profile" does not also find "Profile Manager".
# A search that meets a window going away (an installer ending, say) fails with an X error, and
# is tried again.
window_id=
# Runs the command until it succeeds; false when it has not within the given seconds.
within() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}
# Runs the command until it succeeds, or fails the run: "<what> did not happen within ...".
await() {
    local what=$1
    shift
    within "$wait_limit" "$@" || fail "$what did not happen within ${wait_limit}s"
}

# True when a visible window has that title; its id is then in window_id.
window_shown() {
    window_id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$window_id" ]
}
window_gone() { ! window_shown "$1"; }

await_window() {
    within "$wait_limit" window_shown "$1" ||
        fail "no window titled /$1/ appeared within ${wait_limit}s"
    xdotool windowfocus --sync "$window_id"
    # Mapped is not yet painted.
    sleep 0.5
}

await_closed() {
    within "$wait_limit" window_gone "$1" || fail "the window titled /$1/ did not close"
}

keys() {
    xdotool key --clearmodifiers "$@"
}

# Presses Escape on the main window and waits for the program to end cleanly.
quit_program() {
    keys Escape
    within "$wait_limit" program_ended || fail "the program did not end on Escape"
    wait "$program_pid" || fail "the program ended with status $?"
    program_pid=
}
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
