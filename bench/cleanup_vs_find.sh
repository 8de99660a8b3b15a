#!/usr/bin/env bash
# Times the folder cleanup against `find DIR -mindepth 1 -delete` on identical trees of 100,000
# files in 2,000 folders, both in the same run, and fails when the cleanup takes more than 1.1
# times find's wall time (median of the rounds). With strace installed it also counts the system
# calls per deleted entry of each.
#
#   bench/cleanup_vs_find.sh [path/to/bench_cleanup]
#   ROUNDS (default 5) and WORK (default /dev/shm, a tmpfs) may be set in the environment.
# Build the program for measuring first:
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
#   cmake --build build-release --target bench_cleanup
set -euo pipefail
cd "$(dirname "$0")/.."
cleanup=$(realpath "${1:-build-release/bench/bench_cleanup}")
rounds=${ROUNDS:-5}
work=$(mktemp -d "${WORK:-/dev/shm}/cleanup-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# 20 folders of 99 sub-folders each: 2,000 folders, 50 files in each.
template=$work/template
for top in $(seq -w 0 19); do
    for sub in "" $(seq -f "/sub-%02g" 1 99); do
        folder=$template/top-$top$sub
        mkdir -p "$folder"
        (cd "$folder" && touch file-{00..49}.dat)
    done
done
folders=$(find "$template" -mindepth 1 -type d | wc -l)
files=$(find "$template" -type f | wc -l)
entries=$((folders + files))
echo "tree: $files files in $folders folders on $(df --output=fstype "$work" | tail -1)"

fresh_copy() {
    rm -rf "${work:?}/${1:?}"
    mkdir "$work/$1"
    cp -a "$template/." "$work/$1/"
}

# Wall time of one run in milliseconds.
timed() {
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

find_times=()
cleanup_times=()
for round in $(seq "$rounds"); do
    fresh_copy by-find
    fresh_copy by-cleanup
    # Alternate which goes first, so neither always meets the warmer caches.
    if ((round % 2)); then
        find_times+=("$(timed find "$work/by-find" -mindepth 1 -delete)")
        cleanup_times+=("$(timed "$cleanup" "$work/by-cleanup")")
    else
        cleanup_times+=("$(timed "$cleanup" "$work/by-cleanup")")
        find_times+=("$(timed find "$work/by-find" -mindepth 1 -delete)")
    fi
    [[ -z $(ls -A "$work/by-find") && -z $(ls -A "$work/by-cleanup") ]] || {
        echo "round $round: a folder is not empty afterwards" >&2
        exit 1
    }
    echo "round $round: find ${find_times[-1]} ms, cleanup ${cleanup_times[-1]} ms"
done

find_ms=$(printf '%s\n' "${find_times[@]}" | median)
cleanup_ms=$(printf '%s\n' "${cleanup_times[@]}" | median)
ratio=$(awk -v c="$cleanup_ms" -v f="$find_ms" 'BEGIN { printf "%.3f", c / f }')
echo "median: find $find_ms ms, cleanup $cleanup_ms ms, ratio $ratio (limit 1.100)"

if command -v strace >/dev/null; then
    # Calls per deleted entry of one run over a fresh copy at $work/counted.
    calls_per_entry() {
        fresh_copy counted
        strace -c -f -o "$work/strace.log" "$@" >/dev/null
        awk -v n="$entries" '$NF == "total" { printf "%d calls, %.3f per entry", $4, $4 / n }' \
            "$work/strace.log"
    }
    echo "system calls: find $(calls_per_entry find "$work/counted" -mindepth 1 -delete)"
    echo "system calls: cleanup $(calls_per_entry "$cleanup" "$work/counted")"
fi

awk -v r="$ratio" 'BEGIN { exit !(r <= 1.1) }' || {
    echo "the cleanup is slower than 1.1 times find" >&2
    exit 1
}
