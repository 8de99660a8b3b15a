#!/usr/bin/env bash
# Loading a 6000x4000 photo into a 100x100 avatar, against `djpeg -scale 1/8` on the same file:
# at most 1.3 times djpeg's wall time (median of interleaved runs, each a process of its own), and
# at most 10 MB more peak memory than before the load. A progressive photo is reported beside it.
#   bench/jpeg_vs_djpeg.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target bench_jpeg tm_jpeg_samples -j "$(nproc)" >/dev/null
bench=build-release/bench/bench_jpeg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

nanoseconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $((end - start))
}

median() {
    sort -n | awk '{ value[NR] = $1 } END { print value[int((NR + 1) / 2)] / 1e9 }'
}

failed=0
for kind in baseline progressive; do
    photo=$work/$kind.jpg
    build-release/tests/tm_jpeg_samples photo "$photo" 6000 4000 \
        "$([[ $kind == progressive ]] && echo progressive || echo plain)"
    : >"$work/djpeg" && : >"$work/ours"
    for ((i = 0; i < runs; i++)); do
        nanoseconds djpeg -scale 1/8 -outfile /dev/null "$photo" >>"$work/djpeg"
        nanoseconds "$bench" --load "$photo" >>"$work/ours"
    done
    djpeg_s=$(median <"$work/djpeg")
    ours_s=$(median <"$work/ours")
    ratio=$(awk -v a="$ours_s" -v b="$djpeg_s" 'BEGIN { printf "%.2f", a / b }')
    load=$("$bench" --load "$photo")
    growth_kb=$(sed -n 's/.*: +\([0-9]*\) KB$/\1/p' <<<"$load")
    echo "$kind 6000x4000 ($(stat -c %s "$photo") bytes): djpeg -scale 1/8 ${djpeg_s} s," \
        "avatar load ${ours_s} s (${ratio}x); ${load}"
    if [[ $kind == baseline ]]; then
        if awk -v r="$ratio" 'BEGIN { exit !(r > 1.3) }'; then
            echo "FAIL: more than 1.3 times djpeg's time"
            failed=1
        fi
        if ((growth_kb > 10240)); then
            echo "FAIL: peak memory grew by more than 10 MB"
            failed=1
        fi
    fi
done
"$bench" "$work/baseline.jpg" --benchmark_repetitions=1 2>/dev/null | tail -n 3 || true
exit $failed
