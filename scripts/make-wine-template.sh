#!/usr/bin/env bash
# Makes the Wine prefix that the tests which run Windows programs make their prefixes from (see
# tests/support/TestPrefix.h), once: a prefix made by the Wine installed now is kept.
#
#   scripts/make-wine-template.sh <folder>
set -euo pipefail
source "$(dirname "$0")/windows-wine.sh"
prefix=$1
made_by="$prefix/.made-by"
version=$("$wine64" --version)
if [ -f "$made_by" ] && [ "$(cat "$made_by")" = "$version" ]; then
    exit 0
fi
wine_make_prefix "$prefix"
echo "$version" >"$made_by"
