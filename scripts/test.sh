#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as errors, and runs every
# test: the suite, the comparison with Wine itself, the Debian package with its menu entry and
# AppStream file validated and its program started, the Windows build with its tests and an
# end-to-end check under Wine, the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

scripts/build.sh build -DTM_WERROR=ON
ctest --test-dir build --output-on-failure -j "$(nproc)"
scripts/wine-differential.sh build
scripts/check-package.sh build
scripts/windows-stage.sh build-windows

source scripts/sanitizer-env.sh
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTM_SANITIZE=ON -DTM_BUILD_BENCHMARKS=OFF
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

scripts/fuzz.sh 30
