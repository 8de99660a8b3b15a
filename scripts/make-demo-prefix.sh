#!/usr/bin/env bash
# Writes a Wine-prefix-shaped folder with a demo installation of the game into the given folder
# (replacing what was there): the installation key in system.reg, the C: and Z: drives, and a
# game folder with settings, two profiles, temporary data and a cover cache.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1

rm -rf "$prefix"
mkdir -p "$prefix/dosdevices" "$prefix/drive_c"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"

cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Wow6432Node\\TuneMora] 1796762724
#time=1dd87550c767452
"InstallDir"="C:\\Games\\TuneMora"
"InstallVer"="1.0.2"
REG

game="$prefix/drive_c/Games/TuneMora"
mkdir -p "$game/Profiles/Player1" "$game/Profiles/Player2" "$game/Temp/songs"
printf 'MZ placeholder for the game executable\r\n' >"$game/Tunemora.exe"
printf '[Graphics]\r\nResolution=1280x720\r\nFullScreen=Off\r\nScreens=1\r\nVSync=On\r\n\r\n[Path]\r\nSongs=C:\\Games\\TuneMora\\Songs\r\n\r\n[Net]\r\nUpdateChannel=1\r\n' >"$game/config.ini"
printf '[profile]\r\nname=Alice\r\nlogin=alice\r\nlocked=yes\r\navatar=avatar.jpg\r\n' >"$game/Profiles/Player1/profile.prf"
cp "$here/demo/avatar.jpg" "$game/Profiles/Player1/avatar.jpg"
printf '[profile]\r\nname=Bob\r\nlogin=bob\r\nlocked=no\r\n' >"$game/Profiles/Player2/profile.prf"
printf 'log line\n' >"$game/Temp/game.log"
printf 'cached' >"$game/Temp/songs/preview.tmp"
printf 'x' >"$game/Temp/.lock"
head -c 4096 /dev/zero >"$game/covers.cache"
echo "$prefix"
