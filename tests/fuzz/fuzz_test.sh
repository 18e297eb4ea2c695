#!/usr/bin/env bash
# Fuzzes a reader for a bounded time from the files of a folder as seeds (the game's own pictures
# for the BMP reader, the suite of recorded drives for theirs); options after the seconds go to
# the fuzzer.
#   Usage: fuzz_test.sh FUZZER SEED_FOLDER SECONDS [FUZZER_OPTION...]
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3
shift 3
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvelo-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/findings"
for seed in "$seeds"/*; do
    if [ -f "$seed" ]; then cp "$seed" "$work/corpus/"; fi
done
cd "$work/findings"
status=0
"$fuzzer" "$work/corpus" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "$@" || status=$?
if [ "$status" -ne 0 ] || ls | grep -qE '^(crash|leak|timeout|oom)-'; then
    echo "FAIL: the fuzzer found a fault (status $status):"
    for f in *; do [ -f "$f" ] && { echo "$f:"; od -A d -t x1 "$f" | head -20; }; done
    exit 1
fi
echo "fuzzing passed: no findings in $seconds s"
