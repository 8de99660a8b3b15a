#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool on a demo installation of the game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build -DBUILD_TESTING=OFF -DTM_BUILD_BENCHMARKS=OFF
prefix=$(scripts/make-demo-prefix.sh "$PWD/build/demo-prefix")
WINEPREFIX="$prefix" exec build/app/tunemora-tools
