# shellcheck shell=bash
# Sourced by the build scripts: compiles through ccache when it is installed, with its cache outside
# the repository (ccache's own default, ~/.cache/ccache) and paths taken relative to the clone, so
# that a second run of the test command, or another clone on the machine, compiles only what changed.
# The settings go into the build folder with the launcher, so a later `cmake --build` keeps them.
ccache_launcher=()
if command -v ccache >/dev/null; then
    ccache_settings=(
        "CCACHE_BASEDIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
        # Debug information names the folder it was compiled in, which would keep every other
        # clone from a hit; a debugger finds a clone's sources by their relative paths anyway.
        CCACHE_NOHASHDIR=true
        # The Linux, sanitizer, fuzzing and Windows builds each take their share; 5 GB holds them.
        "CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}"
    )
    # A bare root shell (a chroot, a container) may come without HOME, where ccache keeps its cache.
    [ -n "${HOME:-}" ] || [ -n "${CCACHE_DIR:-}" ] ||
        ccache_settings+=("CCACHE_DIR=$(getent passwd "$(id -u)" | cut -d: -f6)/.cache/ccache")
    launcher="env;$(IFS=';' && echo "${ccache_settings[*]}");ccache"
    ccache_launcher=(-DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
fi
