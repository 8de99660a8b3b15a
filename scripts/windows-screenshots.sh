#!/usr/bin/env bash
# Makes the README's screenshots of the Windows build: installs the demo installation into a fresh
# Wine prefix the Windows way, starts the program of the build folder in a Wine desktop on a
# private X server, opens every window from the keyboard as a user would, and cuts each window,
# its frame included, out of the desktop into docs/screenshots/windows/: on a desktop of
# 1280 x 800 at 96 dots per inch as <window>.png, and on one of 1920 x 1080 at 192 (200%) as
# <window>@2x.png. The pictures replace the committed ones only when every window was taken.
#
#   scripts/windows-screenshots.sh [build folder of scripts/build-windows.sh (default build-windows)]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
out=docs/screenshots/windows
session=windows-screenshots
# Wine starts a program more slowly than Linux does, the first time in a prefix above all.
wait_limit=${TM_SCREENSHOT_TIMEOUT:-60}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2>/dev/null) || true
program=$(cd "$build" 2>/dev/null && pwd)/tunemora-tools-$version/tunemora-tools.exe
if [ -z "$version" ] || [ ! -f "$program" ]; then
    echo "$session: no program in $build; run scripts/build-windows.sh first" >&2
    exit 1
fi

xvfb_size=2000x1200
source scripts/windows-wine.sh
source scripts/xvfb-session.sh
export WINEPREFIX=$work/prefix
trap 'wine_stop "$WINEPREFIX"; cleanup' EXIT
wine() { "$wine64" "$@" </dev/null; }

x86_64-w64-mingw32-gcc-posix -std=c11 -O2 -municode tests/windows/window_rect.c \
    -o "$work/window_rect.exe"
# Where the window of the given title is inside the Wine desktop; fails while there is none.
window_box=
find_window() {
    window_box=$(wine "$work/window_rect.exe" "$1" 2>/dev/null | tr -d '\r') && [ -n "$window_box" ]
}
await_box() {
    within "$wait_limit" find_window "$1" ||
        fail "no window titled '$1' appeared within ${wait_limit}s"
    # Shown is not yet painted.
    sleep 1
}
await_gone() {
    within "$wait_limit" no_window "$1" || fail "the window titled '$1' did not close"
}
no_window() { ! find_window "$1"; }

# The demo installation, laid down as the game's installer would: its folder on drive C: and
# its key in the 32-bit view; and the fonts of Wine, Tahoma among them, where Windows keeps them.
wine_make_prefix "$WINEPREFIX"
wine_install_fonts "$WINEPREFIX"
demo=$(scripts/make-demo-prefix.sh "$work/demo")
cp -r "$demo/drive_c/Games" "$WINEPREFIX/drive_c/"
wine reg add 'HKLM\Software\TuneMora' /v InstallDir /t REG_SZ /d 'C:\Games\TuneMora' /reg:32 /f >/dev/null
wine reg add 'HKLM\Software\TuneMora' /v InstallVer /t REG_SZ /d 1.0.2 /reg:32 /f >/dev/null

shots=$work/shots
mkdir -p "$shots"
suffix=
desktop=

# Saves the window just awaited, frame and all, out of the desktop.
grab() {
    local left top width height
    read -r left top width height <<<"$window_box"
    import -window "$desktop" "$work/raw.png"
    convert "$work/raw.png" -crop "${width}x${height}+${left}+${top}" +repage -strip \
        -define png:compression-level=9 -define png:compression-filter=5 "$shots/$1$suffix.png"
}

# Opens with Space the window behind the focused button, takes it, and closes it with Escape.
take() {
    keys space
    await_box "$2"
    grab "$1"
    keys Escape
    await_gone "$2"
}

take_all() {
    local size=$1 dpi=$2
    suffix=$3
    wine_desktop "$WINEPREFIX" "$size" "$dpi"

    "$wine64" "$program" </dev/null >"$work/program.log" 2>&1 &
    program_pid=$!
    local main="TuneMora Official Tools $version"
    await_box "$main"
    desktop=$(xdotool search --onlyvisible --name '^Default - Wine desktop$' | head -n1)
    [ -n "$desktop" ] || fail "no Wine desktop"
    # A click on its title bar makes the main window the one that the keys reach.
    local left top width height
    read -r left top width height <<<"$window_box"
    xdotool mousemove --window "$desktop" $((left + width / 2)) $((top + 8)) click 1
    sleep 0.5
    grab main

    keys space
    await_box "Profile Manager"
    grab profiles
    # The list has the focus; Modify is the third button after it and opens the first profile.
    keys Tab Tab Tab
    take profile "Profile"
    keys Escape
    await_gone "Profile Manager"

    keys Tab
    take configure "Configure"
    keys Tab
    take maintenance "Maintenance"
    keys Tab
    take run-special "Run TuneMora with parameters"
    keys Tab Tab
    take about "About"

    quit_program
}

take_all 1280x800 96 ""
take_all 1920x1080 192 "@2x"

mkdir -p "$out"
cp "$shots"/*.png "$out/"
ls -l "$out"
