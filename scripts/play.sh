#!/usr/bin/env bash
# Installs what is missing, builds, and starts the toy.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh play
cmake -S . -B build -DTAVELOND_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target tavelond
exec build/tavelond
