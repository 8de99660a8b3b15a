#!/usr/bin/env bash
# The long fault runs, too slow for every change: the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then 500 kills of every write, 1,000 saves against a game writing the
# same file, every file call failed in turn, and five minutes of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/sanitizer-env.sh

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTM_SANITIZE=ON -DTM_BUILD_BENCHMARKS=OFF
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

export TM_CRASH_KILLS=${TM_CRASH_KILLS:-500}
export TM_CONCURRENT_SAVES=${TM_CONCURRENT_SAVES:-1000}
build-asan/tests/tm_core_tests \
    --gtest_filter='CrashDuringWrite.*:ConcurrentGame.*:FaultSweep.*:ProfileFaultSweep.*'
QT_QPA_PLATFORM=offscreen build-asan/tests/tm_gui_tests --gtest_filter='WindowFaultSweep.*'

scripts/fuzz.sh "${TM_FUZZ_SECONDS:-300}"
