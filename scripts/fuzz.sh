#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds on a copy
# of its seed corpus, so that the corpus in the repository stays as committed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
source scripts/ccache-env.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${ccache_launcher[@]}" \
    -DTM_BUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DTM_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target fuzzers -j "$(nproc)"
for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    work=$(mktemp -d)
    cp -r "$corpus". "$work/"
    echo "fuzzing $name for ${seconds}s"
    mkdir -p build-fuzz/artifacts
    "build-fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$PWD/build-fuzz/artifacts/$name-" "$work" 2>&1 | tail -n 20
    rm -rf "$work"
done
