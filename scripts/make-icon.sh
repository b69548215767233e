#!/usr/bin/env bash
# Redraws the application icon at every installed size into data/icons/.
# The install test checks that the committed files match what this draws.
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=(48 128 256)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# shellcheck disable=SC2046
c++ -std=c++20 -O2 scripts/make-icon.cpp -o "$tmp/make-icon" $(pkg-config --cflags --libs libpng)
for s in "${sizes[@]}"; do
  mkdir -p "data/icons/$s"
  "$tmp/make-icon" "$s" "data/icons/$s/tavelond.png"
  echo "data/icons/$s/tavelond.png"
done
