#!/usr/bin/env bash
# The Windows toolchain's seeds: one of this key with the versions in its .complete is taken; one
# whose .complete names other versions, one cut short, and one that holds anything but the key's
# folder are refused and leave the cache as it was; a seed written by --pack is taken again.
set -euo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/windows-toolchain.sh
key=$("$script" --key 2>/dev/null) || {
    echo "the Debian packages the key is made of are not installed; skipped"
    exit 77
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMT_WINDOWS_TOOLCHAIN_CACHE=$work/cache TMT_WINDOWS_TOOLCHAIN_SEED=$work/seeds
failures=0
check() {
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}

versions() {
    local package
    for package in qt6-base-dev libjpeg62-turbo googletest g++-mingw-w64-x86-64-posix; do
        dpkg-query -W -f='${source:Version}\n' "$package"
    done | paste -d' ' <(printf '%s\n' qt6-base libjpeg-turbo googletest g++-mingw-w64-x86-64-posix) -
}

# A seed as --pack writes it: one folder named after the key, with its .complete record.
make_seed() {
    local record=$1 folder=${2:-$key}
    rm -rf "$work/seed-source" "$work/seeds"
    mkdir -p "$work/seed-source/$folder/bin" "$work/seeds"
    printf 'MZ' >"$work/seed-source/$folder/bin/Qt6Core.dll"
    printf '%s\n' "$record" >"$work/seed-source/$folder/.complete"
    tar -C "$work/seed-source" -cJf "$work/seeds/$key.tar.xz" "$folder"
}

refused_leaving_nothing() {
    rm -rf "$work/cache"
    ! "$script" --seed-only >/dev/null 2>"$work/log" &&
        [ ! -e "$work/cache/$key" ] && [ -z "$(find "$work/cache" -name '.seed.*')" ]
}

taken() {
    rm -rf "$work/cache"
    [ "$("$script" --seed-only 2>"$work/log")" = "$work/cache/$key" ] &&
        [ -f "$work/cache/$key/bin/Qt6Core.dll" ] && versions | cmp -s - "$work/cache/$key/.complete"
}

check "the key is the four versions and the revision" \
    grep -qE '^qt[^-]+-[^-]+-jpeg.+-gtest.+-mingw[^-]+-r[0-9]+$' <<<"$key"

make_seed "$(versions)"
check "a seed of this key and these versions is taken" taken

make_seed "$(versions | sed 's/^qt6-base .*/qt6-base 6.4.1+dfsg-1/')"
check "a seed whose .complete names other versions is refused" refused_leaving_nothing

make_seed "$(versions)"
size=$(stat -c %s "$work/seeds/$key.tar.xz")
truncate -s $((size / 2)) "$work/seeds/$key.tar.xz"
check "a seed cut short leaves no half-unpacked toolchain" refused_leaving_nothing

make_seed "$(versions)" "$key-old"
check "a seed holding another folder is refused" refused_leaving_nothing

rm -rf "$work/seeds"
check "no seed at all is refused by --seed-only" refused_leaving_nothing

make_seed "$(versions)"
taken
"$script" --pack "$work/packed" >/dev/null 2>&1
export TMT_WINDOWS_TOOLCHAIN_SEED=$work/packed
check "a seed written by --pack is taken again" taken

rm -rf "$work/cache"
mkdir -p "$work/cache/.seed.cut-off/$key"
"$script" --seed-only >/dev/null 2>&1
check "the scratch folder of an unpacking cut off is cleared" test ! -e "$work/cache/.seed.cut-off"

[ "$failures" -eq 0 ]
