#!/usr/bin/env bash
# Fuzzes the game's BMP reader for a bounded time: tools/run_fuzz.sh [SECONDS] (default 60).
# Builds its own clang folder (build-fuzz/), seeds the corpus with the shipped textures, the
# reader's test fixtures and the public BMP suite beside the project (where present), then runs
# libFuzzer. Exits non-zero on any finding (crash, sanitizer report, leak or timeout).
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
corpus="$build/corpus"
findings="$build/findings"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARVELO_FUZZ=ON -DTARVELO_BENCH=OFF -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target FuzzBmpReader BmpReaderTest -j2

mkdir -p "$corpus" "$findings"
cp "$root"/data/*.bmp "$corpus"/
# The reader's tests write each picture they build into the corpus (their usual temporary
# folder otherwise); their own verdict does not matter here.
TARVELO_FIXTURE_DIR="$corpus/fixtures" "$build/tests/BmpReaderTest" \
  --gtest_filter='-*OutputIsLimitedTo256MiB*' >/dev/null 2>&1 || true
mv "$corpus"/fixtures/*.bmp "$corpus"/ 2>/dev/null || true
rmdir "$corpus/fixtures" 2>/dev/null || true
suite="$root/../shared/bmpsuite"
if [ -d "$suite" ]; then
  for f in "$suite"/[gqbx]/*.bmp; do cp "$f" "$corpus/suite-$(basename "$(dirname "$f")")-$(basename "$f")"; done
fi
echo "corpus: $(ls "$corpus" | wc -l) files; fuzzing for $seconds s"

cd "$findings"
status=0
"$build/tests/fuzz/FuzzBmpReader" "$corpus" -max_total_time="$seconds" -max_len=65536 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 || status=$?
if [ "$status" -ne 0 ] || ls "$findings" | grep -qE '^(crash|leak|timeout|oom)-'; then
  echo "FAIL: the fuzzer found a fault (status $status); inputs in $findings"
  exit 1
fi
echo "fuzzing passed: no findings in $seconds s"
