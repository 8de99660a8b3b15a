#!/usr/bin/env bash
# Configures and builds one build tree: build.sh <folder> [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ccache-env.sh
folder=$1
shift
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${ccache_launcher[@]}" "$@"
cmake --build "$folder" -j "$(nproc)"
