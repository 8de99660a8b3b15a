#!/usr/bin/env bash
# Makes the README's screenshots of the Linux build: builds the program, starts it under Xvfb on
# the demo installation, opens every window from the keyboard as a user would, and saves each
# window on its own into docs/screenshots/: on a screen of 1280 x 800 at scale 1 as
# <window>.png, and on one of 1920 x 1080 at 200% (QT_SCALE_FACTOR=2) as <window>@2x.png.
# The pictures replace the committed ones only when every window was taken at both.
# scripts/windows-screenshots.sh makes those of the Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."

build="build-screens"
out=docs/screenshots

# One screen: scripts/screenshots.sh <size> <scale> <suffix> <folder for the pictures>
if [ $# -eq 0 ]; then
    scripts/install-deps.sh
    scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTM_BUILD_BENCHMARKS=OFF
    shots=$(mktemp -d)
    trap 'rm -rf "$shots"' EXIT
    "$0" 1280x800 1 "" "$shots"
    "$0" 1920x1080 2 "@2x" "$shots"
    mkdir -p "$out"
    cp "$shots"/*.png "$out/"
    ls -l "$out"
    exit 0
fi
xvfb_size=$1
scale=$2
suffix=$3
shots=$4

# Seconds to wait for a window to appear or to close.
wait_limit=${TM_SCREENSHOT_TIMEOUT:-15}
session=screenshots
source scripts/xvfb-session.sh

# Saves the window just awaited, without the rest of the screen.
grab() {
    import -window "$window_id" "$work/raw.png"
    convert "$work/raw.png" -strip -define png:compression-level=9 -define png:compression-filter=5 \
        "$shots/$1$suffix.png"
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

# The main window opens with the focus on its first button, and the Tab key walks its buttons in
# their order: Profile manager, Configuration, Maintenance, Run with special params, Run, About,
# Exit.
prefix=$(scripts/make-demo-prefix.sh "$work/prefix")
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale WINEPREFIX=$prefix "$build/app/tunemora-tools" \
    >"$work/program.log" 2>&1 &
program_pid=$!

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

quit_program
