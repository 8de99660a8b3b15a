#!/usr/bin/env bash
# Regenerates the seed corpus of the JPEG decoder's fuzz target (fuzz/corpus/jpeg) with the test
# encoder: one small picture for each colour layout and coding the decoder handles.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target tm_jpeg_samples -j "$(nproc)" >/dev/null
rm -rf fuzz/corpus/jpeg
build/tests/tm_jpeg_samples corpus fuzz/corpus/jpeg
ls -l fuzz/corpus/jpeg
