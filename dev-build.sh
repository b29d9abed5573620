#!/usr/bin/env bash
# Developer helper: builds the given targets in ./build, one build at a time on this machine.
set -euo pipefail
cd "$(dirname "$0")"
exec 9>/tmp/tinselwick-build.lock
flock 9
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DTINSEL_WERROR=ON >/dev/null
if [ $# -eq 0 ]; then cmake --build build -j2; else
  args=(); for t in "$@"; do args+=(--target "$t"); done
  cmake --build build -j2 "${args[@]}"
fi
