#!/usr/bin/env bash
# Builds, once, the Windows (x86_64, mingw-w64) libraries a Windows build of the program links
# against: Qt 6 base, libjpeg-turbo and GoogleTest, all from Debian's own sources and of the same
# versions as the Linux packages, into a cache folder outside the repository. Later runs find the
# finished folder and return at once. Prints the folder (a CMake prefix) on standard output.
#
#   TMT_WINDOWS_TOOLCHAIN_CACHE  cache folder (default: $XDG_CACHE_HOME/tunemora-tools/windows-toolchain)
#   TMT_WINDOWS_TOOLCHAIN_JOBS   parallel compile jobs (default: 2)
#   TMT_WINDOWS_TOOLCHAIN_KEEP_WORK=1  keep sources and build folders after a successful build
#
# A successful build removes the cache folders of earlier keys: each is some 100 MB, and nothing
# but this script's own version of the moment may use them.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
toolchain_file=$repo/cmake/mingw-w64-x86_64.cmake
# A bare root shell (a chroot, a container) may come without HOME.
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache_root=${TMT_WINDOWS_TOOLCHAIN_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/tunemora-tools/windows-toolchain}
jobs=${TMT_WINDOWS_TOOLCHAIN_JOBS:-2}
host_qt_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake
debian_suite=bookworm

say() { printf 'windows-toolchain: %s\n' "$*" >&2; }
fail() {
    say "$*"
    exit 1
}

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

sha() { sha256sum | cut -c1-12; }
script_hash=$(cat "$0" "$toolchain_file" | sha)
key=$(printf 'qt%s-jpeg%s-gtest%s-mingw%s-%s' "$qt_version" "$jpeg_version" "$gtest_version" \
    "$mingw_version" "$script_hash" | tr ':~' '__')
prefix=$cache_root/$key

if [ -f "$prefix/.complete" ]; then
    printf '%s\n' "$prefix"
    exit 0
fi

mkdir -p "$cache_root"
exec 9>"$cache_root/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    printf '%s\n' "$prefix"
    exit 0
fi

say "building $prefix (takes half an hour or more)"
work=$cache_root/work
mkdir -p "$work"
rm -rf "$prefix"

started=$SECONDS
step() {
    say "$1 ($((SECONDS - started)) s so far)"
}

# Runs a long command quietly at the lowest priority, adding its output to a log that is shown
# when it fails.
run_logged() {
    local log=$1
    shift
    if ! nice -n 19 "$@" >>"$log" 2>&1; then
        tail -n 40 "$log" >&2
        fail "failed: $* (whole log: $log)"
    fi
}

# Fetches Debian source packages through a private apt configuration with deb-src entries, from
# the mirrors and with the signing key the machine already uses, leaving the system's apt alone.
# Every suite of the release the machine follows gets its entry, so that a host Qt updated from
# the security or updates suite finds its own source.
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
        printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
            http://deb.debian.org/debian "$debian_suite" \
            /usr/share/keyrings/debian-archive-keyring.gpg >"$apt/sources.list.d/debian-src.sources"
    local apt_options=(
        -o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$apt/sources.list.d"
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
        -o APT::Sandbox::User="$(id -un)"
    )
    # Standard output carries only the finished folder's name.
    apt-get "${apt_options[@]}" -qq update >&2
    (cd "$work/downloads" && apt-get "${apt_options[@]}" -qq source --download-only "$@" >&2)
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
rm -rf "$jpeg_build" "$work/libjpeg-turbo.log"
run_logged "$work/libjpeg-turbo.log" cmake -S "$jpeg_source" \
    -B "$jpeg_build" "${cmake_target[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" "${jpeg_options[@]}"
run_logged "$work/libjpeg-turbo.log" cmake --build "$jpeg_build" --parallel "$jobs"
run_logged "$work/libjpeg-turbo.log" cmake --install "$jpeg_build" --strip

step "building GoogleTest"
gtest_build=$work/googletest-build
rm -rf "$gtest_build" "$work/googletest.log"
run_logged "$work/googletest.log" cmake -S /usr/src/googletest -B "$gtest_build" \
    "${cmake_target[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" "${gtest_options[@]}"
run_logged "$work/googletest.log" cmake --build "$gtest_build" --parallel "$jobs"
run_logged "$work/googletest.log" cmake --install "$gtest_build" --strip

# The Qt build folder is named after everything that shapes it, so a change elsewhere in this
# script reuses a finished or interrupted Qt build instead of starting over.
qt_build=$work/qt6-base-build-$(printf '%s\n' "$qt_version" "${qt_options[@]}" |
    cat - "$toolchain_file" | sha)
step "configuring Qt (build folder $qt_build)"
mkdir -p "$qt_build"
if [ ! -f "$qt_build/.configured" ]; then
    (cd "$qt_build" && run_logged "$qt_build/configure.log" \
        "$qt_source/configure" -prefix "$prefix" "${qt_options[@]}" \
        -qt-host-path /usr -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
        -DQT_HOST_PATH_CMAKE_DIR="$host_qt_cmake_dir")
    touch "$qt_build/.configured"
elif [ "$(cat "$qt_build/.prefix" 2>/dev/null)" != "$prefix" ]; then
    # A build folder kept from an earlier key names that key's folder in what it installs (the
    # pkg-config files, target_qt.conf, the build internals); only a new configure step renames it.
    run_logged "$qt_build/configure.log" cmake -DCMAKE_INSTALL_PREFIX="$prefix" "$qt_build"
fi
printf '%s\n' "$prefix" >"$qt_build/.prefix"
step "building Qt with $jobs jobs"
rm -f "$qt_build/build.log" "$qt_build/install.log"
run_logged "$qt_build/build.log" cmake --build "$qt_build" --parallel "$jobs"
run_logged "$qt_build/install.log" cmake --install "$qt_build" --prefix "$prefix" --strip

step "copying the mingw-w64 runtime DLLs"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
    [ -f "$path" ] || fail "the mingw-w64 runtime $dll was not found"
    cp "$path" "$prefix/bin/"
    # Debian ships them with their symbols: libstdc++ drops from 23 MB to 2 MB.
    x86_64-w64-mingw32-strip --strip-unneeded "$prefix/bin/$dll"
done

printf 'qt6-base %s\nlibjpeg-turbo %s\ngoogletest %s\ng++-mingw-w64-x86-64-posix %s\n' \
    "$qt_version" "$jpeg_version" "$gtest_version" "$mingw_version" >"$prefix/.complete"
[ "${TMT_WINDOWS_TOOLCHAIN_KEEP_WORK:-0}" = 1 ] || rm -rf "$work"
for old in "$cache_root"/qt*-jpeg*-gtest*-mingw*-*; do
    [ "$old" = "$prefix" ] || [ ! -d "$old" ] || rm -rf "$old"
done
step "done"
printf '%s\n' "$prefix"
