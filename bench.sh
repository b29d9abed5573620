#!/usr/bin/env bash
# Builds the benchmarks in Release mode and runs them all (figures in the README).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --test
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTINSEL_BUILD_TESTS=OFF \
      -DTINSEL_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue  # programs only, not the build's folders
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
