#!/usr/bin/env bash
# Builds the benchmarks in Release and runs every one of them on a virtual X server of its own
# (1024 x 768, as the tests use), from data/ where the game's textures are.
# Usage: tools/run_bench.sh [BENCHMARK_ARGS...]  (such as --benchmark_filter=Frame); the build
# folder is build-release, or TARVELO_BENCH_BUILD if set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${TARVELO_BENCH_BUILD:-$root/build-release}")

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVELO_BENCH=ON -DTARVELO_SANITIZE=OFF >/dev/null
# Every bench/NameBench.cpp is the program NameBench.
names=()
for source in "$root"/bench/*Bench.cpp; do names+=("$(basename "$source" .cpp)"); done
cmake --build "$build" -j"$(nproc)" --target tarvelo "${names[@]}"

cd "$root/data"
status=0
for name in "${names[@]}"; do
    echo "== $name"
    "$root/tools/on_xvfb.sh" "$build/bench/$name" "$@" || status=1
done
exit $status
