#!/usr/bin/env bash
# Builds Tinselwick and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DTINSEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-run -j"$(nproc)"
exec ./build-run/tinselwick "$@"
