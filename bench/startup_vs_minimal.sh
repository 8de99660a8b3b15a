#!/usr/bin/env bash
# Start-up to the first shown main window on the demo installation, against a minimal Qt Widgets
# program in the same run: wall time and peak memory, best of ten. Usage: startup_vs_minimal.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$("$here/../scripts/make-demo-prefix.sh" "$(mktemp -d)/prefix")
export QT_QPA_PLATFORM=offscreen WINEPREFIX="$prefix"
# Best wall time in milliseconds (from the clock, finer than time's hundredths) and peak memory.
best() {
    local best_ms=999999 kilobytes=0
    for _ in $(seq 10); do
        local start end
        start=$(date +%s%N)
        kilobytes=$(/usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -n 1)
        end=$(date +%s%N)
        local ms=$(((end - start) / 1000000))
        ((ms < best_ms)) && best_ms=$ms
    done
    echo "$best_ms $kilobytes"
}
read -r tool_s tool_kb < <(best "$build/bench/bench_startup_tool")
read -r min_s min_kb < <(best "$build/bench/bench_startup_minimal")
read -r text_s text_kb < <(best "$build/bench/bench_startup_minimal_text")
echo "start-up: tool ${tool_s} ms / ${tool_kb} KB, minimal Qt ${min_s} ms / ${min_kb} KB"
echo "minimal Qt with one label ${text_s} ms / ${text_kb} KB"
echo "ratios to the minimal window: time $(echo "scale=2; $tool_s / $min_s" | bc), memory $(echo "scale=2; $tool_kb / $min_kb" | bc)"
echo "ratio to the labelled window: time $(echo "scale=2; $tool_s / $text_s" | bc)"
# The same with no prefix anywhere: an empty home, no WINEPREFIX, every manager searched in vain.
empty_home=$(mktemp -d)
read -r none_s none_kb < <(HOME="$empty_home" WINEPREFIX= best "$build/bench/bench_startup_tool" --answer-boxes)
echo "start-up with no prefix anywhere: ${none_s} ms / ${none_kb} KB, ratio to the minimal window: time $(echo "scale=2; $none_s / $min_s" | bc)"
rm -rf "$empty_home"
rm -rf "$(dirname "$prefix")"
