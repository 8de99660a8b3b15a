# shellcheck shell=bash
# Sourced by the build scripts: compiles through ccache when it is installed, with its cache outside
# the repository (ccache's own default, ~/.cache/ccache) and paths taken relative to the clone, so
# that a second run of the test command, or another clone on the machine, compiles only what changed.
ccache_launcher=()
if command -v ccache >/dev/null; then
    ccache_launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    CCACHE_BASEDIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    export CCACHE_BASEDIR
    # A bare root shell (a chroot, a container) may come without HOME, where ccache keeps its cache.
    [ -n "${HOME:-}" ] || export CCACHE_DIR=${CCACHE_DIR:-$(getent passwd "$(id -u)" | cut -d: -f6)/.cache/ccache}
    # The sanitizer, fuzzing and Windows builds each take their own share; 5 GB holds all of them.
    export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
fi
