#!/usr/bin/env bash
# Time to find the installation key in a 20 MB system.reg, against grep -F -m1 for its section line
# on the same file (both with the file in the page cache). Usage: registry_vs_grep.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_registry" generate "$work/system.reg" 20
runs=50
cat "$work/system.reg" >/dev/null
ours=$("$build/bench/bench_registry" lookup "$work" "$runs")
start=$(date +%s%N)
for _ in $(seq "$runs"); do
    grep -F -m1 '[Software\\Wow6432Node\\TuneMora]' "$work/system.reg" >/dev/null
done
grep_ms=$(echo "scale=3; ($(date +%s%N) - $start) / 1000000 / $runs" | bc)
echo "key lookup in 20 MB system.reg: ours ${ours} ms, grep -F -m1 ${grep_ms} ms"
echo "ratio: $(echo "scale=2; $ours / $grep_ms" | bc)"
