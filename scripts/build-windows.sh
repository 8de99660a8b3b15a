#!/usr/bin/env bash
# Builds the Windows program from this source with mingw-w64 and the Windows libraries that
# scripts/windows-toolchain.sh keeps in its cache, and packs it three ways into the build folder:
#   tunemora-tools-<version>/            the program with the DLLs it needs and their licences,
#                                        ready to run
#   tunemora-tools-<version>.zip         that folder as a zip
#   tunemora-tools-<version>-setup.exe   an installer for the user: the user's programs folder,
#                                        Start menu and installed programs, an uninstaller
#
#   scripts/build-windows.sh [build folder (default build-windows)] [CMake options...]
#
# With -DBUILD_TESTING=ON the tests are built too, to run under Wine (scripts/windows-stage.sh);
# CMake lists and runs them through Wine in the build folder's own prefix, wine-prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
[ $# -eq 0 ] || shift
say() { printf 'build-windows: %s\n' "$*" >&2; }
fail() {
    say "$*"
    exit 1
}

scripts/install-windows-deps.sh
toolchain=$(scripts/windows-toolchain.sh)
source scripts/windows-wine.sh

mkdir -p "$build"
build=$(cd "$build" && pwd)
test_prefix=$build/wine-prefix
emulator="env;WINEPREFIX=$test_prefix;WINEDEBUG=$WINEDEBUG;WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
# WINEPATH takes the one folder with the DLLs, as ';' would split a CMake list.
emulator+=";WINEPATH=Z:$toolchain/bin;$wine64"
source scripts/ccache-env.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "${ccache_launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$toolchain" \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$emulator" \
    -DBUILD_TESTING=OFF -DTM_BUILD_BENCHMARKS=OFF "$@" >"$build/configure.log" ||
    fail "configuring failed: see $build/configure.log"

# The tests run under Wine in a prefix of the build folder's own, made once.
if grep -q '^BUILD_TESTING:BOOL=ON' "$build/CMakeCache.txt"; then
    [ -f "$test_prefix/system.reg" ] || wine_make_prefix "$test_prefix"
    wine_install_fonts "$test_prefix"
fi
nice -n 10 cmake --build "$build" --parallel 2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=tunemora-tools-$version
folder=$build/$name
rm -rf "$folder"
mkdir -p "$folder/platforms" "$folder/styles"
cp "$build/app/tunemora-tools.exe" "$folder/"
cp "$toolchain/plugins/platforms/qwindows.dll" "$folder/platforms/"
cp "$toolchain/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
cp resources/windows/qt.conf "$folder/"

# The DLLs are those that the program and the plugins import from the toolchain, and those that
# these import in turn; everything else they import is Windows' own.
imports() {
    x86_64-w64-mingw32-objdump -p "$@" | sed -n 's/^\s*DLL Name: //p' | sort -u
}
pending=$(imports "$folder"/*.exe "$folder"/*/*.dll)
while [ -n "$pending" ]; do
    added=()
    for dll in $pending; do
        if [ -f "$toolchain/bin/$dll" ] && [ ! -f "$folder/$dll" ]; then
            cp "$toolchain/bin/$dll" "$folder/"
            added+=("$folder/$dll")
        fi
    done
    pending=$([ ${#added[@]} -eq 0 ] || imports "${added[@]}")
done
x86_64-w64-mingw32-strip --strip-unneeded "$folder/tunemora-tools.exe"
scripts/windows-notices.sh "$folder" "$toolchain" "$version"

rm -f "$build/$name.zip"
(cd "$build" && zip -q -r -X "$name.zip" "$name")

# The installer names every file it installs, so that its uninstaller removes exactly those.
files=$build/installer-files.nsh
# shellcheck disable=SC2016 # $INSTDIR is the installer's variable
{
    echo '!macro TM_INSTALL_FILES'
    (cd "$folder" && find . -type d | sort) | while read -r dir; do
        dir=${dir#.}
        printf '    SetOutPath "$INSTDIR%s"\n' "${dir//\//\\}"
        find "$folder$dir" -maxdepth 1 -type f | sort | sed 's/^/    File "/; s/$/"/'
    done
    echo '!macroend'
    echo '!macro TM_UNINSTALL_FILES'
    (cd "$folder" && find . -type f | sort) | while read -r file; do
        file=${file#.}
        printf '    Delete "$INSTDIR%s"\n' "${file//\//\\}"
    done
    (cd "$folder" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
        dir=${dir#.}
        printf '    RMDir "$INSTDIR%s"\n' "${dir//\//\\}"
    done
    echo '!macroend'
} >"$files"
makensis -V2 -DVERSION="$version" -DFILES="$files" -DNOTICES="$folder/THIRD-PARTY-NOTICES.txt" \
    -DICON="$build/resources/windows/tunemora-tools.ico" -DOUTFILE="$build/$name-setup.exe" \
    resources/windows/installer.nsi >"$build/installer.log" ||
    fail "making the installer failed: see $build/installer.log"

say "$folder"
ls -l "$build/$name.zip" "$build/$name-setup.exe" >&2
