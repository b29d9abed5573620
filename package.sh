#!/usr/bin/env bash
# Builds the Release program and its Debian package (CPack) and prints the package's path.
# Install it with: sudo apt install ./<printed path>
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --package
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTINSEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
# The package this run made, as CPack names it (older ones in the folder are not printed).
(cd build-package && cpack -G DEB) | ./scripts/made-package.sh
