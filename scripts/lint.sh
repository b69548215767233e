#!/usr/bin/env bash
# Checks the C++ sources: clang-format (the layout in .clang-format) and
# clang-tidy (the checks in .clang-tidy). Fails on any finding.
#
#   scripts/lint.sh [BUILD_DIR]
#
# BUILD_DIR (default: build) must hold compile_commands.json from a configured
# build; a .cpp file that this build does not compile is named and skipped by
# clang-tidy, since it cannot be parsed without its flags.
# LINT_JOBS sets how many clang-tidy processes run at once (default: 2).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${LINT_JOBS:-2}
db=$build/compile_commands.json
[ -f "$db" ] || { echo "lint: no $db; configure a build first (cmake --preset default)" >&2; exit 2; }

dirs=()
for d in src tests bench scripts; do [ -d "$d" ] && dirs+=("$d"); done
mapfile -t files < <(find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
[ ${#files[@]} -gt 0 ] || { echo "lint: no C++ files found" >&2; exit 2; }

status=0

echo "lint: clang-format on ${#files[@]} files"
clang-format --dry-run --Werror "${files[@]}" || status=1

# The translation units the build compiles, as absolute paths.
compiled=$(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$db" | sort -u)
units=()
for f in "${files[@]}"; do
  [[ $f == *.cpp ]] || continue  # headers are checked through the units that include them
  if grep -qxF "$PWD/$f" <<<"$compiled"; then
    units+=("$f")
  else
    echo "lint: $f is not compiled in $build: not checked by clang-tidy"
  fi
done

echo "lint: clang-tidy on ${#units[@]} translation units, $jobs at a time"
if [ ${#units[@]} -gt 0 ]; then
  printf '%s\0' "${units[@]}" |
    xargs -0 -n1 -P "$jobs" clang-tidy -p "$build" --quiet --warnings-as-errors='*' 2>/dev/null || status=1
fi

if [ "$status" -eq 0 ]; then echo "lint: clean"; else echo "lint: findings above"; fi
exit "$status"
