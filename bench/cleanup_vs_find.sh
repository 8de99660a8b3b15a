#!/usr/bin/env bash
# Empties a tree of 100,000 files in 2,000 folders on tmpfs, against find -mindepth 1 -delete on
# an identical tree in the same run, and counts system calls per entry. Usage: cleanup_vs_find.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
tool="$build/bench/bench_cleanup"
work=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$work"' EXIT
elapsed() { local start=$(date +%s%N); "$@"; echo "scale=3; ($(date +%s%N) - start) / 1000000000" | bc; }
for round in 1 2 3; do
    "$tool" make "$work/ours" 100000 2000
    "$tool" make "$work/find" 100000 2000
    ours=$(elapsed "$tool" clean "$work/ours")
    theirs=$(elapsed find "$work/find" -mindepth 1 -delete)
    echo "round $round: ours ${ours} s, find ${theirs} s, ratio $(echo "scale=2; $ours / $theirs" | bc)"
done
if command -v strace >/dev/null; then
    "$tool" make "$work/ours" 100000 2000
    entries=$(find "$work/ours" -mindepth 1 | wc -l)
    calls=$(strace -f -c -o "$work/strace.txt" "$tool" clean "$work/ours" && awk '/ total$/ {print $4}' "$work/strace.txt")
    echo "system calls: $calls for $entries entries ($(echo "scale=2; $calls / $entries" | bc) per entry)"
fi
