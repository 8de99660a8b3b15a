#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as errors, and runs every
# test: the suite, the comparison with Wine itself, the Debian package with its menu entry and
# AppStream file validated and its program started, the Windows build with its tests and an
# end-to-end check under Wine, the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a short while.
#
#   scripts/test.sh               every stage
#   scripts/test.sh --linux-only  every stage but the Windows one, for quick rounds while working
#
# Each stage says when it starts and how long it took, and the last lines sum them up.
set -euo pipefail
cd "$(dirname "$0")/.."

windows=yes
case "${1:-}" in
'') ;;
--linux-only) windows=no ;;
*)
    echo "test: unknown argument $1 (the one switch is --linux-only)" >&2
    exit 2
    ;;
esac

# The processor seconds that the finished commands of this script have used, from bash's `times`
# (run in this shell itself: a subshell counts only its own children); beside the wall time they
# tell whether a slow stage worked or waited for a busy machine.
times_file=$(mktemp)
trap 'rm -f "$times_file"' EXIT
cpu_now() {
    times >"$times_file"
    cpu=$(awk 'NR == 2 {
        total = 0
        for (i = 1; i <= 2; i++) { split($i, t, /[ms]/); total += t[1] * 60 + t[2] }
        printf "%d\n", total }' "$times_file")
}

started=$SECONDS
summary=()
stage() {
    local name=$1 begun=$SECONDS cpu cpu_begun
    cpu_now
    cpu_begun=$cpu
    shift
    echo "test: ${name} ..."
    "$@"
    cpu_now
    local took=$((SECONDS - begun))
    cpu=$((cpu - cpu_begun))
    summary+=("$(printf '%6d s  (processor %6d s)  %s' "$took" "$cpu" "$name")")
    echo "test: ${name} took ${took} s (processor ${cpu} s)"
}

check_formatting() {
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
}

build_and_run_suite() {
    scripts/build.sh "$1" "${@:2}"
    ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
}

stage "set-up" scripts/install-deps.sh
stage "formatting" check_formatting
stage "build and suite" build_and_run_suite build -DTM_WERROR=ON
stage "comparison with Wine" scripts/wine-differential.sh build
stage "Debian package" scripts/check-package.sh build
if [ "$windows" = yes ]; then
    stage "Windows stage" scripts/windows-stage.sh build-windows
fi

source scripts/sanitizer-env.sh
stage "sanitizer build and suite" build_and_run_suite build-asan -DCMAKE_BUILD_TYPE=Debug \
    -DTM_SANITIZE=ON -DTM_BUILD_BENCHMARKS=OFF
stage "fuzzing" scripts/fuzz.sh 30

echo "test: passed in $((SECONDS - started)) s:"
printf 'test: %s\n' "${summary[@]}"
