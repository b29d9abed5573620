#!/usr/bin/env bash
# Reads CPack's output on standard input and prints the package it made (only that one, not
# older packages in the same folder); fails when CPack named none.
set -euo pipefail
made=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
if [ -z "$made" ]; then
  echo "CPack did not say which package it made." >&2
  exit 1
fi
echo "$made"
