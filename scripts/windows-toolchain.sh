#!/usr/bin/env bash
# Builds, once, the Windows (x86_64, mingw-w64) libraries a Windows build of the program links
# against: Qt 6 base, libjpeg-turbo and GoogleTest, all from Debian's own sources and of the same
# versions as the Linux packages, into a cache folder outside the repository. Later runs find the
# finished folder and return at once.
#
#   scripts/windows-toolchain.sh              prints the folder (a CMake prefix), unpacking it from
#                                             a seed or building it first
#   scripts/windows-toolchain.sh --key        prints the cache key: what the toolchain is made of
#   scripts/windows-toolchain.sh --seed-only  as the first form, but fails rather than build
#   scripts/windows-toolchain.sh --pack DIR   writes DIR/<key>.tar.xz of the finished toolchain
#
#   TMT_WINDOWS_TOOLCHAIN_SEED   a folder of seeds as --pack writes them; the seed of the current
#                                key is unpacked instead of building (seconds instead of 40 minutes)
#   TMT_WINDOWS_TOOLCHAIN_CACHE  cache folder (default: $XDG_CACHE_HOME/tunemora-tools/windows-toolchain)
#   TMT_WINDOWS_TOOLCHAIN_JOBS   parallel compile jobs (default: 2)
#   TMT_WINDOWS_TOOLCHAIN_KEEP_WORK=1  keep sources and build folders after a successful build
#
# A finished toolchain removes the cache folders of earlier keys: each is some 70 MB, and nothing
# but this script's own version of the moment may use them.
set -euo pipefail

# What shapes the toolchain besides the four Debian versions: the options below and the toolchain
# file. Raise it by hand whenever either changes, so that no cache or seed of the old ones is taken.
revision=r1

repo=$(cd "$(dirname "$0")/.." && pwd)
toolchain_file=$repo/cmake/mingw-w64-x86_64.cmake
# A bare root shell (a chroot, a container) may come without HOME.
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache_root=${TMT_WINDOWS_TOOLCHAIN_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/tunemora-tools/windows-toolchain}
jobs=${TMT_WINDOWS_TOOLCHAIN_JOBS:-2}
host_qt_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake
debian_suite=bookworm
# A newcomer must never stare at a silent terminal: long steps say where they are this often.
progress_every=45

say() { printf 'windows-toolchain: %s\n' "$*" >&2; }
fail() {
    say "$*"
    exit 1
}

mode=build
case "${1:-}" in
'') ;;
--key) mode=key ;;
--seed-only) mode=seed-only ;;
--pack)
    [ $# -eq 2 ] || fail "--pack needs the folder to write the seed into"
    mode=pack
    pack_folder=$2
    ;;
*) fail "unknown argument $1 (expected --key, --seed-only or --pack FOLDER)" ;;
esac

source_version() {
    dpkg-query -W -f='${Status} ${source:Version}\n' "$1" 2>/dev/null |
        sed -n 's/^install ok installed //p' | grep . ||
        fail "the Debian package $1 is not installed; run scripts/install-windows-deps.sh first"
}

# The Windows Qt is built with the host's moc, rcc and uic, so it must be the host Qt's version.
qt_version=$(source_version qt6-base-dev)
jpeg_version=$(source_version libjpeg62-turbo)
gtest_version=$(source_version googletest)
mingw_version=$(source_version g++-mingw-w64-x86-64-posix)

key=$(printf 'qt%s-jpeg%s-gtest%s-mingw%s-%s' "$qt_version" "$jpeg_version" "$gtest_version" \
    "$mingw_version" "$revision" | tr ':~' '__')
prefix=$cache_root/$key

if [ "$mode" = key ]; then
    printf '%s\n' "$key"
    exit 0
fi

# What a finished toolchain holds in its .complete file; a seed must hold the same.
complete_record() {
    printf 'qt6-base %s\nlibjpeg-turbo %s\ngoogletest %s\ng++-mingw-w64-x86-64-posix %s\n' \
        "$qt_version" "$jpeg_version" "$gtest_version" "$mingw_version"
}

qt_options=(
    -release -shared -xplatform win32-g++
    -nomake examples -nomake tests
    -no-opengl -no-dbus -no-icu -no-pkg-config
    -qt-zlib -qt-pcre -qt-libpng -qt-freetype -qt-harfbuzz -no-libjpeg
    -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-concurrent
    -no-feature-xml -no-feature-vulkan
    # Debian's repacked source has no wintab and mingw-w64 no wintab.h.
    -no-feature-tabletevent
    # With Direct2D off, Qt 6.4.2 only links qwindows.dll when DirectWrite 3 is off too.
    -no-feature-direct2d -no-feature-directwrite3
    -no-feature-androiddeployqt
)
# The SIMD code, assembled with nasm, encodes and decodes about three times as fast under Wine
# and costs no noticeable build time.
jpeg_options=(-DWITH_SIMD=ON -DWITH_TURBOJPEG=OFF -DENABLE_STATIC=OFF -DCMAKE_ASM_NASM_COMPILER=nasm)
gtest_options=(-DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -DBUILD_SHARED_LIBS=OFF)

# Drops the folders of earlier keys once this key's toolchain is complete.
forget_other_keys() {
    local old
    for old in "$cache_root"/qt*-jpeg*-gtest*-mingw*-*; do
        [ "$old" = "$prefix" ] || [ ! -d "$old" ] || rm -rf "$old"
    done
}

# Unpacks the seed of this key, when there is one, into a scratch folder beside the cache and
# moves it into place only once it is whole and made of the same versions; a damaged or foreign
# seed leaves nothing behind. Returns non-zero when the seed is not taken.
take_seed() {
    local seeds=${TMT_WINDOWS_TOOLCHAIN_SEED:-}
    [ -n "$seeds" ] || return 1
    local seed=$seeds/$key.tar.xz
    if [ ! -f "$seed" ]; then
        say "no seed $seed"
        return 1
    fi
    say "unpacking the seed $seed"
    local scratch
    scratch=$(mktemp -d "$cache_root/.seed.XXXXXX")
    if ! tar -xJf "$seed" -C "$scratch" --no-same-owner 2>"$scratch.log"; then
        say "the seed $seed is damaged and is not taken: $(tail -n 1 "$scratch.log")"
        rm -rf "$scratch" "$scratch.log"
        return 1
    fi
    rm -f "$scratch.log"
    local content
    content=$(ls -A "$scratch")
    if [ "$content" != "$key" ] || [ -L "$scratch/$key" ] || [ ! -d "$scratch/$key" ] ||
        ! complete_record | cmp -s - "$scratch/$key/.complete"; then
        say "the seed $seed was not made of these versions, or not as a toolchain folder, and is not taken"
        rm -rf "$scratch"
        return 1
    fi
    rm -rf "$prefix"
    mv "$scratch/$key" "$prefix"
    rmdir "$scratch"
}

# Writes the seed of the finished toolchain beside nothing half-written: a reader of the folder
# sees the old seed or the new one.
pack() {
    mkdir -p "$pack_folder"
    local target partial
    target=$(cd "$pack_folder" && pwd)/$key.tar.xz
    partial=$(mktemp "$target.XXXXXX")
    tar -C "$cache_root" --sort=name --owner=0 --group=0 --numeric-owner -cf - "$key" |
        xz -9 -T "$jobs" >"$partial"
    mv "$partial" "$target"
    say "wrote $target ($(du -m "$target" | cut -f1) MB)"
}

finish() {
    if [ "$mode" = pack ]; then
        pack
    fi
    printf '%s\n' "$prefix"
    exit 0
}

[ ! -f "$prefix/.complete" ] || finish

mkdir -p "$cache_root"
exec 9>"$cache_root/.lock"
flock 9
[ ! -f "$prefix/.complete" ] || finish
# Scratch folders of a seed whose unpacking was cut off.
rm -rf "$cache_root"/.seed.*

if take_seed; then
    forget_other_keys
    say "took the seed: $prefix"
    finish
fi
[ "$mode" != seed-only ] || fail "no usable seed for $key in '${TMT_WINDOWS_TOOLCHAIN_SEED:-}', and --seed-only forbids building"

say "building $prefix (about 40 minutes on two cores; set TMT_WINDOWS_TOOLCHAIN_SEED to a folder of seeds to skip it)"
work=$cache_root/work
mkdir -p "$work"
rm -rf "$prefix"

started=$SECONDS
step() {
    say "$1 ($((SECONDS - started)) s so far)"
}

# Where a long step stands, from its log: Ninja's "[done/total]" lines, or what is downloaded.
where_now() {
    local what=$1 log=$2 status
    case "$what" in
    fetching*)
        printf '%s: %s MB downloaded' "$what" "$(du -sm "$work/downloads" | cut -f1)"
        ;;
    *)
        status=$(grep -aoE '^\[[0-9]+/[0-9]+\]' "$log" 2>/dev/null | tail -n 1 | tr -d '[]') || true
        if [ -n "$status" ]; then
            printf '%s: step %s of %s' "$what" "${status%/*}" "${status#*/}"
        else
            printf '%s' "$what"
        fi
        ;;
    esac
}

# Runs a long command quietly at the lowest priority, adding its output to a log that is shown
# when it fails, and says where it is every $progress_every seconds.
run_logged() {
    local what=$1 log=$2
    shift 2
    nice -n 19 "$@" >>"$log" 2>&1 &
    local pid=$! next=$((SECONDS + progress_every))
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        if [ "$SECONDS" -ge "$next" ] && kill -0 "$pid" 2>/dev/null; then
            say "$(where_now "$what" "$log") ($((SECONDS - started)) s so far)"
            next=$((SECONDS + progress_every))
        fi
    done
    if ! wait "$pid"; then
        tail -n 40 "$log" >&2
        fail "failed: $* (whole log: $log)"
    fi
}

# Fetches Debian source packages through a private apt configuration with deb-src entries, from
# the mirrors and with the signing key the machine already uses, leaving the system's apt alone.
# Every suite of the release the machine follows gets its entry, so that a host Qt updated from
# the security or updates suite finds its own source. Only the machine's own sources are asked.
fetch_sources() {
    local apt=$work/apt
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
    apt-cache policy |
        awk -v release="$debian_suite" '
            $3 ~ "^" release "(-updates|-security)?/main$" && !seen[$2 " " $3]++ {
                sub("/main$", "", $3)
                printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n", $2, $3
                print "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n"
                found = 1
            }
            END { if (!found) exit 1 }' >"$apt/sources.list.d/debian-src.sources" ||
        fail "this machine's apt sources name no Debian $debian_suite mirror with the main component" \
            "(apt-cache policy lists none), so the sources of Qt and libjpeg-turbo cannot be fetched;" \
            "add one to /etc/apt/sources.list and run apt-get update, or use a seed"
    local apt_options=(
        -o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$apt/sources.list.d"
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
        -o APT::Sandbox::User="$(id -un)"
    )
    run_logged "fetching the source lists" "$work/fetch.log" apt-get "${apt_options[@]}" -qq update
    (cd "$work/downloads" &&
        run_logged "fetching the sources" "$work/fetch.log" \
            apt-get "${apt_options[@]}" -qq source --download-only "$@")
}

unpack() {
    local dsc=$1 target=$2
    [ -d "$target" ] && return
    rm -rf "$target.partial"
    dpkg-source -x "$dsc" "$target.partial" >"$target.log" 2>&1 || {
        cat "$target.log" >&2
        fail "could not unpack $dsc"
    }
    mv "$target.partial" "$target"
}

step "fetching Debian sources of qt6-base $qt_version and libjpeg-turbo $jpeg_version"
mkdir -p "$work/downloads"
qt_dsc=$work/downloads/qt6-base_${qt_version#*:}.dsc
jpeg_dsc=$work/downloads/libjpeg-turbo_${jpeg_version#*:}.dsc
if [ ! -f "$qt_dsc" ] || [ ! -f "$jpeg_dsc" ]; then
    rm -rf "$work/sources"
    fetch_sources "qt6-base=$qt_version" "libjpeg-turbo=$jpeg_version"
fi
step "unpacking with Debian's patches"
mkdir -p "$work/sources"
qt_source=$work/sources/qt6-base-${qt_version#*:}
jpeg_source=$work/sources/libjpeg-turbo-${jpeg_version#*:}
unpack "$qt_dsc" "$qt_source"
unpack "$jpeg_dsc" "$jpeg_source"

cmake_target=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" -DCMAKE_BUILD_TYPE=Release)

step "building libjpeg-turbo"
jpeg_build=$work/libjpeg-turbo-build
jpeg_log=$work/libjpeg-turbo.log
rm -rf "$jpeg_build" "$jpeg_log"
run_logged "configuring libjpeg-turbo" "$jpeg_log" cmake -S "$jpeg_source" \
    -B "$jpeg_build" "${cmake_target[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" "${jpeg_options[@]}"
run_logged "building libjpeg-turbo" "$jpeg_log" cmake --build "$jpeg_build" --parallel "$jobs"
run_logged "installing libjpeg-turbo" "$jpeg_log" cmake --install "$jpeg_build" --strip

step "building GoogleTest"
gtest_build=$work/googletest-build
gtest_log=$work/googletest.log
rm -rf "$gtest_build" "$gtest_log"
run_logged "configuring GoogleTest" "$gtest_log" cmake -S /usr/src/googletest -B "$gtest_build" \
    "${cmake_target[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" "${gtest_options[@]}"
run_logged "building GoogleTest" "$gtest_log" cmake --build "$gtest_build" --parallel "$jobs"
run_logged "installing GoogleTest" "$gtest_log" cmake --install "$gtest_build" --strip

# The Qt build folder is named after everything that shapes it, so a change elsewhere in this
# script reuses a finished or interrupted Qt build instead of starting over.
qt_build=$work/qt6-base-build-$(printf '%s\n' "$qt_version" "${qt_options[@]}" |
    cat - "$toolchain_file" | sha256sum | cut -c1-12)
step "configuring Qt (build folder $qt_build)"
mkdir -p "$qt_build"
if [ ! -f "$qt_build/.configured" ]; then
    (cd "$qt_build" && run_logged "configuring Qt" "$qt_build/configure.log" \
        "$qt_source/configure" -prefix "$prefix" "${qt_options[@]}" \
        -qt-host-path /usr -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
        -DQT_HOST_PATH_CMAKE_DIR="$host_qt_cmake_dir")
    touch "$qt_build/.configured"
elif [ "$(cat "$qt_build/.prefix" 2>/dev/null)" != "$prefix" ]; then
    # A build folder kept from an earlier key names that key's folder in what it installs (the
    # pkg-config files, target_qt.conf, the build internals); only a new configure step renames it.
    run_logged "configuring Qt" "$qt_build/configure.log" cmake -DCMAKE_INSTALL_PREFIX="$prefix" "$qt_build"
fi
printf '%s\n' "$prefix" >"$qt_build/.prefix"
step "building Qt with $jobs jobs"
rm -f "$qt_build/build.log" "$qt_build/install.log"
run_logged "building Qt" "$qt_build/build.log" cmake --build "$qt_build" --parallel "$jobs"
run_logged "installing Qt" "$qt_build/install.log" cmake --install "$qt_build" --prefix "$prefix" --strip

step "copying the mingw-w64 runtime DLLs"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
    [ -f "$path" ] || fail "the mingw-w64 runtime $dll was not found"
    cp "$path" "$prefix/bin/"
    # Debian ships them with their symbols: libstdc++ drops from 23 MB to 2 MB.
    x86_64-w64-mingw32-strip --strip-unneeded "$prefix/bin/$dll"
done

complete_record >"$prefix/.complete"
[ "${TMT_WINDOWS_TOOLCHAIN_KEEP_WORK:-0}" = 1 ] || rm -rf "$work"
forget_other_keys
step "done"
finish
