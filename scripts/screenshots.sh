#!/usr/bin/env bash
# Makes the README's screenshots: builds the program, starts it under Xvfb on the demo installation,
# opens every window from the keyboard as a user would, and saves each window on its own, once at
# scale 1 and once at scale 2 (QT_SCALE_FACTOR=2), into docs/screenshots/<window>[@2x].png.
# The pictures replace the committed ones only when every window was taken.
set -euo pipefail
cd "$(dirname "$0")/.."

build="build-screens"
out=docs/screenshots
# Seconds to wait for a window to appear or to close.
wait_limit=${TM_SCREENSHOT_TIMEOUT:-15}

scripts/install-deps.sh
scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTM_BUILD_BENCHMARKS=OFF

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
    echo "screenshots: $*" >&2
    if [ -n "${DISPLAY:-}" ] && import -window root "$build/screenshots-failure.png" 2>/dev/null; then
        echo "screenshots: the screen at that moment is in $build/screenshots-failure.png" >&2
    fi
    if [ -s "$work/program.log" ]; then
        echo "screenshots: the program's output:" >&2
        sed 's/^/    /' "$work/program.log" >&2
    fi
    exit 1
}

# Nothing of this run may reach the user's own screen.
unset DISPLAY
# Large enough for the biggest window at scale 2; a fixed DPI keeps the pictures the same everywhere.
Xvfb -displayfd 3 -screen 0 2560x2048x24 -dpi 96 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not report its display"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

shots=$work/shots
mkdir -p "$shots"
# Qt wants a private runtime folder; a fresh one keeps the user's out of the picture.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Title patterns are anchored, so that "Profile" does not also find "Profile Manager".
window_id=
await_window() {
    window_id=$(timeout "$wait_limit" xdotool search --sync --onlyvisible --name "$1" | head -n1) ||
        fail "no window titled /$1/ appeared within ${wait_limit}s"
    xdotool windowfocus --sync "$window_id"
    # Mapped is not yet painted.
    sleep 0.5
}

await_closed() {
    local deadline=$((SECONDS + wait_limit))
    while xdotool search --onlyvisible --name "$1" >/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the window titled /$1/ did not close"
        sleep 0.1
    done
}

# Saves the window just awaited, without the rest of the screen.
grab() {
    import -window "$window_id" "$work/raw.png"
    convert "$work/raw.png" -strip -define png:compression-level=9 -define png:compression-filter=5 \
        "$shots/$1$suffix.png"
}

keys() {
    xdotool key --clearmodifiers "$@"
}

# Opens with Space the window behind the focused button of the given owner window, takes it, and
# closes it with Escape; the focus then returns to that button.
take() {
    local name=$1 title=$2 owner=$3
    keys space
    await_window "$title"
    grab "$name"
    keys Escape
    await_closed "$title"
    xdotool windowfocus --sync "$owner"
}

# One run of the program: the main window opens with the focus on its first button, and the Tab
# key walks its buttons in their order: Profile manager, Configuration, Maintenance, Run with
# special params, Run, About, Exit.
take_all() {
    local scale=$1 prefix
    suffix=$2
    prefix=$(scripts/make-demo-prefix.sh "$work/prefix")
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale WINEPREFIX=$prefix "$build/app/tunemora-tools" \
        >"$work/program.log" 2>&1 &
    program_pid=$!

    local main manager
    await_window '^TuneMora Official Tools'
    main=$window_id
    grab main

    keys space
    await_window '^Profile Manager$'
    manager=$window_id
    grab profiles
    # The list has the focus; Modify is the third button after it and opens the first profile.
    keys Tab Tab Tab
    take profile '^Profile$' "$manager"
    keys Escape
    await_closed '^Profile Manager$'
    xdotool windowfocus --sync "$main"

    keys Tab
    take configure '^Configure$' "$main"
    keys Tab
    take maintenance '^Maintenance$' "$main"
    keys Tab
    take run-special '^Run TuneMora with parameters$' "$main"
    keys Tab Tab
    take about '^About$' "$main"

    keys Escape
    local deadline=$((SECONDS + wait_limit))
    while kill -0 "$program_pid" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the program did not end on Escape"
        sleep 0.1
    done
    wait "$program_pid" || fail "the program ended with status $?"
    program_pid=
}

take_all 1 ""
take_all 2 "@2x"

mkdir -p "$out"
cp "$shots"/*.png "$out/"
ls -l "$out"
