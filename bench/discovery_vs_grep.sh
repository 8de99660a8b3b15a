#!/usr/bin/env bash
# Time to find the one installation among 100 Wine prefixes with a 3 MB system.reg each, against
# grep -l -F for the key's section line over the same files (both with the files in the page
# cache). Usage: discovery_vs_grep.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
"$build/bench/bench_discovery" generate "$home" 100 3
runs=20
files=("$home"/.PlayOnLinux/wineprefix/*/system.reg)
cat "${files[@]}" >/dev/null
ours=$("$build/bench/bench_discovery" find "$home" "$runs")
start=$(date +%s%N)
for _ in $(seq "$runs"); do
    grep -l -F '[Software\\Wow6432Node\\TuneMora]' "${files[@]}" >/dev/null
done
grep_ms=$(echo "scale=3; ($(date +%s%N) - $start) / 1000000 / $runs" | bc)
echo "discovery over 100 prefixes of 3 MB: ours ${ours} ms, grep -l -F ${grep_ms} ms"
echo "ratio: $(echo "scale=2; $ours / $grep_ms" | bc)"
