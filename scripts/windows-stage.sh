#!/usr/bin/env bash
# The Windows stage of the test command: installs what is missing, gets the Windows toolchain
# (built once, then cached), builds the program and its tests for Windows, runs the tests under
# Wine, packs the program (folder, zip, installer) and runs the end-to-end check under Wine. Our
# warnings are errors here too, as in the Linux build.
#
#   scripts/windows-stage.sh [build folder (default build-windows)]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
started=$SECONDS
lap=$SECONDS
took() {
    echo "windows-stage: $1 took $((SECONDS - lap)) s"
    lap=$SECONDS
}

scripts/install-windows-deps.sh
scripts/windows-toolchain.sh >/dev/null
took "the toolchain"
scripts/build-windows.sh "$build" -DBUILD_TESTING=ON -DTM_WERROR=ON
took "the build and the packing"
# Wine takes only an absolute prefix.
build=$(cd "$build" && pwd)

source scripts/windows-wine.sh
wine_start "$build/wine-prefix"
trap 'wine_stop "$build/wine-prefix"' EXIT
ctest --test-dir "$build" --output-on-failure --no-tests=error -j 2
wine_stop "$build/wine-prefix"
trap - EXIT
took "the tests under Wine"

scripts/windows-screens.sh "$build"
took "the tests on screens, without Tahoma and with it"

scripts/windows-e2e.sh "$build"
took "the end-to-end check"
echo "windows-stage: passed in $((SECONDS - started)) s"
