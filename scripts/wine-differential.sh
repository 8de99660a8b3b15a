#!/usr/bin/env bash
# Runs the program's INI reader and writer, folder listing, folder making, file deletion, path
# letter case and registry reading against Wine itself: a probe built with mingw-w64 makes the
# Windows calls in a fresh prefix, tm_platform_cli makes the program's, both on the same generated
# cases, under each locale below. Fails on any difference that tests/wine/decided-mends.txt does
# not explain.
#
#   scripts/wine-differential.sh [build folder] [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seed=${2:-20240601}
locales=(C de_DE.UTF-8 pl_PL.UTF-8 ru_RU.UTF-8 ja_JP.UTF-8)
started=$SECONDS

wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
for tool in "$wine64" wineboot wineserver x86_64-w64-mingw32-gcc-posix; do
    command -v "$tool" >/dev/null || { echo "wine-differential: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
for locale in "${locales[@]}"; do
    [ "$locale" = C ] || locale -a | grep -qix "${locale/UTF-8/utf8}" ||
        { echo "wine-differential: the locale $locale is missing (scripts/install-deps.sh makes it)" >&2; exit 1; }
done

cmake --build "$build" --target tm_platform_cli tm_wine_corpus tm_wine_compare >/dev/null

work=$(mktemp -d /tmp/tm-wine-diff.XXXXXX)
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
# TM_WINE_KEEP=1 keeps the work folder, with every result, for a closer look.
cleanup() {
    wineserver -k 2>/dev/null || true
    if [ "${TM_WINE_KEEP:-0}" = 1 ]; then
        echo "wine-differential: the work folder stays: $work"
        return
    fi
    # The prefix is most of a gigabyte: it goes in the background rather than on the clock.
    chmod -R u+rwx "$work" 2>/dev/null || true
    rm -rf "$work" </dev/null >/dev/null 2>&1 &
}
trap cleanup EXIT

# Z:\ is the root of the file system in every prefix.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

x86_64-w64-mingw32-gcc-posix -O2 -municode -Wall -Wextra -o "$work/platform_probe.exe" \
    tests/wine/probe/platform_probe.c
"$build/tests/wine/tm_wine_corpus" "$work/corpus" "$seed"
wineboot -i >/dev/null 2>&1
"$wine64" "$work/platform_probe.exe" 'Z:\' <"$work/corpus/regset.cases" >"$work/regset.results"
if grep -qv $'\tok$' "$work/regset.results"; then
    echo "wine-differential: Wine did not set every registry value:" >&2
    grep -v $'\tok$' "$work/regset.results" >&2
    exit 1
fi
# The server saves system.reg when it ends; from then on one server stays for every probe, which
# then starts in a fifth of a second.
wineserver -w
wineserver -p
echo "wine-differential: prefix and corpus ready after $((SECONDS - started)) s"

probe() { "$wine64" "$work/platform_probe.exe" "$(windows_path "$1")" <"$work/corpus/$2.cases"; }
ours() { "$build/tests/wine/tm_platform_cli" "$(windows_path "$1")" <"$work/corpus/$2.cases"; }

for locale in "${locales[@]}"; do
    side=$work/$locale
    mkdir "$side"
    for tree in ours wine norm; do cp -a "$work/corpus/mut" "$side/$tree"; done
    cp -a "$work/corpus/alt" "$side/alt"
    export LC_ALL=$locale LANG=$locale
    {
        ours "$work/corpus/ro" read >"$side/ours.read"
        ours "$side/ours" mutate >"$side/ours.mutate"
    } &
    probe "$work/corpus/ro" read >"$side/wine.read"
    probe "$side/wine" mutate >"$side/wine.mutate"
    probe "$side/norm" normalize >"$side/wine.norm"
    probe "$side/alt" utf16 >"$side/wine.utf16"
    probe "$side" fits >"$side/wine.fits"
    wait
    probe "$side" dump >"$side/wine.dump"
    unset LC_ALL LANG
    echo "wine-differential: $locale done after $((SECONDS - started)) s"
done

status=0
"$build/tests/wine/tm_wine_compare" "$work" tests/wine/decided-mends.txt "${locales[@]}" || status=$?
cp "$work/differences.txt" "$build/wine-differences.txt"
echo "wine-differential: $((SECONDS - started)) s in all; every difference and mend: $build/wine-differences.txt"
exit "$status"
