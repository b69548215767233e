#!/usr/bin/env bash
# The browser build's performance, beside the desktop build's, on this
# machine: frames per second and script time per frame in headless Chromium
# for the first scene and for lattices of 1,000 and 2,000 joints (grown as
# bench/ grows them), the pacing at simulated display rates, the desktop's
# BM_Frame for the same structures, and the download size.
#
#   scripts/web-bench.sh [SECONDS]   (seconds measured per case, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

scripts/deps.sh test
scripts/web.sh build
NODE_PATH=${NODE_PATH:-/usr/share/nodejs} cmake --build build-web -j2 --target tavelond-bench-web >/dev/null
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAVELOND_BENCH=ON -DTAVELOND_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target tavelond-bench >/dev/null

echo "== browser: headless Chromium ($(/usr/bin/chromium --version 2>/dev/null | head -n 1)), $seconds s a case"
node tests/web/bench.mjs build-web "$seconds"

echo
echo "== desktop: BM_Frame, one frame into a 640x480 surface (median of 5, microseconds)"
SDL_VIDEODRIVER=dummy build-bench/bench/tavelond-bench --benchmark_filter='BM_Frame/(0|1000|2000)$' \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null | grep '_median'

echo
echo "== download size (gzip -9)"
js=$(gzip -9c build-web/tavelond.js | wc -c)
wasm=$(gzip -9c build-web/tavelond.wasm | wc -c)
html=$(gzip -9c build-web/tavelond.html | wc -c)
printf 'tavelond.js %d B, tavelond.wasm %d B: js + wasm %d B (%.1f KB); the page %d B\n' \
  "$js" "$wasm" $((js + wasm)) "$(echo "($js + $wasm) / 1024" | bc -l)" "$html"
