#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
# The browser build (built by its test) compiles SDL_gfx from source. Where
# the project sits beside a shared/ directory holding a copy of that source,
# as CI's clone does, the copy is used instead of the upstream repository.
if [ -z "${TAVELOND_SDL_GFX_SOURCE:-}" ] && [ -f ../shared/third_party/SDL_gfx-2.0.27.tar.gz ]; then
  TAVELOND_SDL_GFX_SOURCE=$(cd ../shared/third_party && pwd)/SDL_gfx-2.0.27.tar.gz
  export TAVELOND_SDL_GFX_SOURCE
fi
scripts/deps.sh test
cmake -S . -B build -DTAVELOND_TESTS=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
# Layout and static checks (clang-format, clang-tidy) over the same build.
scripts/lint.sh build

# The same suite again under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, each stopping at its first report.
cmake -S . -B build-san -DTAVELOND_TESTS=ON -DTAVELOND_SANITIZE=ON
cmake --build build-san -j"$(nproc)"
ctest --test-dir build-san --output-on-failure -j"$(nproc)"
