#!/usr/bin/env bash
# Builds the Release program and its Debian package (CPack) and prints the package's path.
# Install it with: sudo apt install ./<printed path>
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --package
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTINSEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
# The package this run made, as CPack names it (older ones in the folder are not printed).
made=$(cd build-package && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
if [ -z "$made" ]; then
  echo "CPack did not say which package it made." >&2
  exit 1
fi
echo "$made"
