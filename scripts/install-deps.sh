#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, from Debian's own packages, and
# makes the locales available that the comparison against Wine runs under.
set -euo pipefail

packages=(
    cmake ninja-build ccache g++ clang libclang-rt-14-dev clang-format pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libjpeg62-turbo-dev libjpeg-turbo-progs libyaml-cpp-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-wine xvfb xauth xdotool imagemagick attr strace time bc desktop-file-utils appstream dpkg-dev
    python3-debian
    file wine wine64 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix locales
)
# Wine only takes a locale that the C library accepts; these are generated when missing.
locales=(de_DE pl_PL ru_RU ja_JP)

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    "${as_root[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Each is listed in /etc/locale.gen, so that a later locale-gen keeps it.
generate=no
for locale in "${locales[@]}"; do
    line="$locale.UTF-8 UTF-8"
    grep -qx "$line" /etc/locale.gen || echo "$line" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    locale -a | grep -qx "$locale.utf8" || generate=yes
done
[ "$generate" = no ] || "${as_root[@]}" locale-gen
