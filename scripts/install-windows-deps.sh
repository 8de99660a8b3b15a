#!/usr/bin/env bash
# Installs what cross-building for Windows and running the result under Wine need on Debian 12,
# from Debian's own packages: the mingw-w64 compilers (POSIX threads), the host Qt tools the
# Windows Qt is built against, the tools that fetch and unpack Debian source packages, Wine, and what
# packs the program (icotool for its icon, zip, NSIS) and drives it under a private X server.
set -euo pipefail

packages=(
    cmake ninja-build ccache g++ perl nasm
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    qt6-base-dev qt6-base-dev-tools googletest
    dpkg-dev xz-utils debian-archive-keyring ca-certificates
    wine wine64 fonts-wine fonts-dejavu-core icoutils zip nsis xvfb xauth xdotool time
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
