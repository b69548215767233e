#!/usr/bin/env bash
# A long seeded random-input soak of the sanitized build:
#   scripts/soak.sh SEED [FRAMES]      (a million frames by default)
# Prints frames, joints, springs and time; exits non-zero on a broken
# invariant or a sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seed=${1:?usage: scripts/soak.sh SEED [FRAMES]}
frames=${2:-1000000}

scripts/deps.sh test
cmake -S . -B build-san -DTAVELOND_SANITIZE=ON >/dev/null
cmake --build build-san -j"$(nproc)" --target tavelond-soak >/dev/null

err=$(mktemp)
trap 'rm -f "$err"' EXIT
status=0
build-san/tests/tavelond-soak "$seed" "$frames" 2>"$err" || status=$?
cat "$err" >&2
if grep -q 'Sanitizer\|runtime error' "$err"; then
  echo "sanitizers: reported (see above)"
elif [ "$status" -eq 0 ]; then
  echo "sanitizers: clean (ASan, UBSan, LSan)"
fi
exit "$status"
