#!/usr/bin/env bash
# Configures and builds one build tree: build.sh <folder> [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
shift
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$folder" -j "$(nproc)"
