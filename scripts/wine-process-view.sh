#!/usr/bin/env bash
# Shows what Linux tells of a Windows program that Wine runs, as the check whether the game runs
# reads it (platform/linux/RunningPrograms.cpp): the stand-in game of the tests is started as
# Tunemora.exe in a fresh prefix plainly, by "wine start", and in the layout in which Proton's
# "run" starts a game (STEAM_COMPAT_DATA_PATH=<folder>, WINEPREFIX=<folder>/pfx/, the game started
# by a Windows program), and for each this prints its command line, /proc/<pid>/exe, its name,
# its Wine variables and the files of its that it maps.
#
#   scripts/wine-process-view.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-wine.sh

work=$(mktemp -d /tmp/tm-wine-view.XXXXXX)
compat=$work/compatdata/4242
prefix=$compat/pfx
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

game=$prefix/drive_c/Games/TuneMora
wine_make_prefix "$prefix"
mkdir -p "$game"
x86_64-w64-mingw32-gcc-posix -std=c11 -O2 -municode -mwindows -o "$game/Tunemora.exe" \
    tests/windows/running_game.c -lshell32
echo "Wine: $("$wine64" --version)"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Waits until the started game made its file, then prints what /proc shows of it and ends it.
# Other games of this name on the machine are told apart by the file they map.
show() {
    local ready=$work/$1 pid=
    for _ in $(seq 600); do [ -e "$ready" ] && break; sleep 0.1; done
    for candidate in $(pgrep -i -x tunemora.exe); do
        grep -q "$game/Tunemora.exe" "/proc/$candidate/maps" 2>/dev/null && pid=$candidate
    done
    [ -n "$pid" ] || { echo "  the game did not start" >&2; exit 1; }
    echo "  cmdline: $(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//')"
    echo "  exe:     $(readlink "/proc/$pid/exe")"
    echo "  name:    $(cat "/proc/$pid/comm")"
    echo "  environ: $(tr '\0' '\n' <"/proc/$pid/environ" | grep -E '^(WINEPREFIX|STEAM_COMPAT_DATA_PATH)=' | tr '\n' ' ')"
    echo "  maps:    $(grep -i 'tunemora.exe' "/proc/$pid/maps" | awk '{print $4, $5, $6}' | sort -u | tr '\n' ' ')"
    echo "  file:    $(stat -c '%D %i %n' "$game/Tunemora.exe")"
    kill "$pid"
    WINEPREFIX=$prefix wineserver -w
}

echo "wine Tunemora.exe, from the game's folder:"
(cd "$game" && WINEPREFIX=$prefix "$wine64" Tunemora.exe "$(windows_path "$work/ready1")" &) 2>/dev/null
show ready1
echo "wine start C:\\GAMES\\TUNEMORA\\TUNEMORA.EXE:"
WINEPREFIX=$prefix "$wine64" start 'C:\GAMES\TUNEMORA\TUNEMORA.EXE' "$(windows_path "$work/ready2")"
show ready2
echo "Proton's layout, started by a Windows program:"
STEAM_COMPAT_DATA_PATH=$compat WINEPREFIX=$prefix/ "$wine64" start 'C:\Games\TuneMora\Tunemora.exe' \
    "$(windows_path "$work/ready3")"
show ready3
