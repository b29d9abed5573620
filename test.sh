#!/usr/bin/env bash
# Builds Tinselwick with every test and runs them all through CTest.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DTINSEL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
