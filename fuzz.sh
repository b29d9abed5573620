#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (with AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes each for the given seconds (default 600), growing its
# corpus in fuzz/corpus/<target>. Crashes are written to fuzz/regressions/<target>/.
#   ./fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --test
seconds=${1:-600}
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTINSEL_FUZZ=ON -DTINSEL_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
for t in "${targets[@]}"; do
  mkdir -p "fuzz/corpus/$t" "fuzz/regressions/$t" "build-fuzz/new-corpus/$t"
  echo "== $t for ${seconds}s"
  "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix="fuzz/regressions/$t/" -print_final_stats=1 \
    "build-fuzz/new-corpus/$t" "fuzz/corpus/$t" 2>&1 | tail -n 25
  # Keep the corpus small: merge what was found into a minimal set.
  rm -rf "build-fuzz/merged/$t" && mkdir -p "build-fuzz/merged/$t"
  "build-fuzz/fuzz/$t" -merge=1 "build-fuzz/merged/$t" "fuzz/corpus/$t" \
    "build-fuzz/new-corpus/$t" >/dev/null 2>&1
  rm -rf "fuzz/corpus/$t" && mv "build-fuzz/merged/$t" "fuzz/corpus/$t"
done
