#!/usr/bin/env bash
# Regenerates the program's Wine tables (code pages, upper case, locale code pages) by asking
# Wine itself: small probes built with mingw-w64 run under wine, and tables.py turns what they
# print into core/text/CodePageTables.cpp, platform/linux/WineUpcase.cpp and
# platform/linux/WineLocales.cpp.
#
# generate.sh [--check-locales]
# Uses $WINEPREFIX when set (a scratch prefix is made otherwise). With --check-locales it also
# runs the acp probe under a sample of Unix locales (made with localedef in a private LOCPATH)
# and compares Wine's answer with what the program derives from the same locale name.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="$work/prefix"
    wineboot -i >/dev/null 2>&1
fi

for probe in codepage upcase locales acp; do
    x86_64-w64-mingw32-gcc -O2 -Wall -o "$work/$probe.exe" "$here/$probe.c"
done
for cp in 874 1250 1251 1252 1253 1254 1255 1256 1257 1258 932 936 949 950; do
    wine "$work/codepage.exe" "$cp" | tr -d '\r' >"$work/cp$cp.txt"
done
wine "$work/upcase.exe" | tr -d '\r' >"$work/upcase.txt"
wine "$work/locales.exe" | tr -d '\r' >"$work/locales.txt"
python3 "$here/tables.py" "$work" "$root"
echo "written: core/text/CodePageTables.cpp platform/linux/WineUpcase.cpp platform/linux/WineLocales.cpp"

if [ "${1:-}" = "--check-locales" ]; then
    # Every glibc locale directory may carry any name: one compiled locale serves them all, since
    # Wine looks only at the name.
    export LOCPATH="$work/locales"
    mkdir -p "$LOCPATH"
    localedef -i en_US -f UTF-8 "$LOCPATH/en_US.UTF-8" 2>/dev/null || true
    wineserver -p
    status=0
    while read -r locale expected; do
        [ -e "$LOCPATH/$locale" ] || cp -al "$LOCPATH/en_US.UTF-8" "$LOCPATH/$locale"
        got=$(LANG=$locale wine "$work/acp.exe" | tr -d '\r' | cut -d' ' -f1)
        if [ "$got" != "$expected" ]; then
            echo "LANG=$locale: wine says $got, the table says $expected"
            status=1
        fi
    done <"$here/locale-samples.txt"
    wineserver -k
    [ $status = 0 ] && echo "every sampled locale agrees with wine"
    exit $status
fi
