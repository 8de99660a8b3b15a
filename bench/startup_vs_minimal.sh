#!/usr/bin/env bash
# Start-up to the first shown main window on the demo installation, against a minimal Qt Widgets
# program in the same run: wall time and peak memory, best of ten. Usage: startup_vs_minimal.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$("$here/../scripts/make-demo-prefix.sh" "$(mktemp -d)/prefix")
export QT_QPA_PLATFORM=offscreen WINEPREFIX="$prefix"
best() {
    local best_time=999 best_memory=0
    for _ in $(seq 10); do
        read -r seconds kilobytes < <(/usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -n 1)
        if (($(echo "$seconds < $best_time" | bc))); then best_time=$seconds; fi
        best_memory=$kilobytes
    done
    echo "$best_time $best_memory"
}
read -r tool_s tool_kb < <(best "$build/bench/bench_startup_tool")
read -r min_s min_kb < <(best "$build/bench/bench_startup_minimal")
echo "start-up: tool ${tool_s} s / ${tool_kb} KB, minimal Qt ${min_s} s / ${min_kb} KB"
echo "ratios: time $(echo "scale=2; $tool_s / $min_s" | bc), memory $(echo "scale=2; $tool_kb / $min_kb" | bc)"
rm -rf "$(dirname "$prefix")"
