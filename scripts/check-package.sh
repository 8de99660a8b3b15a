#!/usr/bin/env bash
# Builds the Debian package from a build folder (the test build by default, whose tests the
# package leaves out), unpacks it into a scratch root, validates the menu entry, the AppStream
# file and the machine-readable copyright file it installs, and starts the installed program on a private X server to its main window and
# closes it with Escape.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
session="check-package"
wait_limit=${TM_WINDOW_TIMEOUT:-20}
scripts/build.sh "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/*.deb)
echo "package: $package"
dpkg-deb --field "$package" Package Version Depends

source scripts/xvfb-session.sh
root=$work/root
dpkg-deb -x "$package" "$root"
for file in usr/bin/tunemora-tools \
    usr/share/applications/tunemora-tools.desktop \
    usr/share/metainfo/tunemora-tools.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/tunemora-tools.svg \
    usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/tunemora-tools.png \
    usr/share/doc/tunemora-tools/copyright; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
desktop-file-validate "$root/usr/share/applications/tunemora-tools.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/tunemora-tools.metainfo.xml"
# Debian's own reader of the format, strict: every paragraph and field as the format defines
# them, and every licence named with its text, inline or in a paragraph of its own.
/usr/bin/python3 - "$root/usr/share/doc/tunemora-tools/copyright" <<'CHECK' || fail "the copyright file is not in the machine-readable format"
import sys
from debian.copyright import Copyright, LicenseParagraph

with open(sys.argv[1], encoding="utf-8") as file:
    copyright = Copyright(file, strict=True)
texts = {p.license.synopsis for p in copyright.all_paragraphs()
         if isinstance(p, LicenseParagraph) and p.license.text}
for files in copyright.all_files_paragraphs():
    if not files.license.text and files.license.synopsis not in texts:
        sys.exit(f"no text for the licence {files.license.synopsis}")
CHECK
echo "the copyright file is in Debian's machine-readable format"

prefix=$(scripts/make-demo-prefix.sh "$work/prefix")
QT_QPA_PLATFORM=xcb WINEPREFIX=$prefix "$root/usr/bin/tunemora-tools" >"$work/program.log" 2>&1 &
program_pid=$!
await_window '^TuneMora Official Tools'
quit_program
echo "the installed program started to its main window and closed"
