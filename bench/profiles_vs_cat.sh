#!/usr/bin/env bash
# Lists 10,000 profiles as the profile manager does, against cat reading every profile.prf once
# in the same run (both warm, both as whole processes). Usage: profiles_vs_cat.sh BUILD_DIR [COUNT]
set -euo pipefail
build=${1:-build}
count=${2:-10000}
tool="$build/bench/bench_profiles"
work=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$work"' EXIT
"$tool" make "$work/game" "$count"
seconds() { local start=$(date +%s%N); "$@" >/dev/null; echo "scale=3; ($(date +%s%N) - $start) / 1000000000" | bc; }
listed=$("$tool" list "$work/game")
[ "$listed" -eq "$count" ] || { echo "listed $listed of $count profiles" >&2; exit 1; }
cat "$work"/game/Profiles/*/profile.prf >/dev/null
for round in 1 2 3 4 5; do
    ours=$(seconds "$tool" list "$work/game")
    theirs=$(seconds bash -c 'cat "$1"/Profiles/*/profile.prf' _ "$work/game")
    echo "round $round: listing ${ours} s, cat ${theirs} s, ratio $(echo "scale=2; $ours / $theirs" | bc)"
done
