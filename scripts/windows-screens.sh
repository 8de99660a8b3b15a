#!/usr/bin/env bash
# The Windows build's tests that need the system's own windows on a screen, run under Wine on a
# private X server (part of the Windows stage, after the other tests):
#   - in a fresh Wine prefix, which has no Tahoma (Debian's Wine brings none into a prefix): the
#     font the windows take and the edit fields' texts as the screen shows them, the system's
#     picture dialog, and that no window or dialog writes settings anywhere;
#   - every window on Wine desktops of 1280 x 800 and 1366 x 768 at 96 dots per inch and of
#     1920 x 1080 at 144 and 192 (LogPixels), first without Tahoma and then with it.
#
#   scripts/windows-screens.sh [build folder of scripts/build-windows.sh with its tests]
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(cd "${1:-build-windows}" && pwd)
say() { printf 'windows-screens: %s\n' "$*"; }
fail() {
    say "$*" >&2
    exit 1
}
[ -f "$build/tests/tm_gui_tests.exe" ] ||
    fail "no tests in $build; build them with scripts/build-windows.sh $build -DBUILD_TESTING=ON"
if [ "${TM_SCREENS_ON_SCREEN:-}" != 1 ]; then
    # A private X screen, large enough for the Wine desktops below.
    TM_SCREENS_ON_SCREEN=1 exec scripts/on-screen.sh 2560x1600 "$0" "$build"
fi

toolchain=$(scripts/windows-toolchain.sh)
source scripts/windows-wine.sh
export WINEPREFIX=$build/wine-prefix-screens
trap 'wine_stop "$WINEPREFIX"' EXIT
started=$SECONDS

# Runs the tests that the filter names on the system's own windows (Qt's windows platform), and
# shows their whole output only when they fail.
log=$build/windows-screens.log
tests() {
    local status attempt
    for attempt in 1 2; do
        status=0
        TM_TEST_PLATFORM=windows WINEPATH="Z:$toolchain/bin" "$wine64" \
            "$build/tests/tm_gui_tests.exe" --gtest_filter="$1" </dev/null >"$log" 2>&1 || status=$?
        # A run that ended before its first line judged nothing. Wine has been seen to end one so,
        # once, on a desktop of a new size; such a run is said and made once more.
        if [ "$status" != 0 ] && [ ! -s "$log" ] && [ "$attempt" = 1 ]; then
            say "the tests ended with exit status $status before their first line; once more"
            continue
        fi
        break
    done
    if [ "$status" != 0 ]; then
        tr -d '\r' <"$log" >&2
        fail "$2 (exit status $status)"
    fi
}
# The lines of the last tests' output that begin so.
shown() {
    tr -d '\r' <"$log" | grep -E "^$1" | sed 's/^/    /'
}

every_screen() {
    local screen
    for screen in 1280x800:96 1366x768:96 1920x1080:144 1920x1080:192; do
        say "every window on ${screen%:*} at ${screen#*:} dpi, $1"
        wine_desktop "$WINEPREFIX" "${screen%:*}" "${screen#*:}"
        tests 'EveryWindow/ScreenFitTest.*' "a window does not fit ${screen%:*} at ${screen#*:} dpi $1"
        # Each window's size, as the tests print it.
        shown 'TF[A-Za-z]+: ' | sort -u
    done
}

wine_make_prefix "$WINEPREFIX"
[ ! -e "$WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ] || fail "the fresh prefix has a Tahoma"
wine_desktop "$WINEPREFIX" 1920x1080 96
say "without Tahoma: the windows' font, the fields' texts, the picture dialog, no settings"
tests 'DesignFontChoiceTest.*:PictureFileTest.*:NoSettingsTest.*' "the tests without Tahoma failed"
shown 'the windows'"'"' font'
every_screen "without Tahoma"

wine_install_fonts "$WINEPREFIX"
say "with Tahoma: the windows' font and the fields' texts"
tests 'DesignFontChoiceTest.*' "the font tests with Tahoma failed"
shown 'the windows'"'"' font'
every_screen "with Tahoma"
say "passed in $((SECONDS - started)) s"
