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

session=screenshots
source scripts/xvfb-session.sh

shots=$work/shots
mkdir -p "$shots"
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

    quit_program
}

take_all 1 ""
take_all 2 "@2x"

mkdir -p "$out"
cp "$shots"/*.png "$out/"
ls -l "$out"
