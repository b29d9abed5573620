#!/usr/bin/env bash
# Builds Tinselwick with every test and runs them all through CTest: once in the Release build
# that ./run.sh gives users (warnings are errors) and once under AddressSanitizer + UndefinedBehaviorSanitizer.
# TINSEL_SKIP_SANITIZERS=1 runs the normal build only.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Build and tests"
cmake -S . -B build -DTINSEL_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ "${TINSEL_SKIP_SANITIZERS:-}" != "1" ]; then
  echo "== Build and tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  cmake -S . -B build-asan -DTINSEL_WERROR=ON -DTINSEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan -j"$jobs"
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
fi
