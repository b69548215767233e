#!/usr/bin/env bash
# Builds and runs the benchmarks, prints the medians and the ratios that
# matter (each from one run), then measures the real frame loop with
# scripts/pacing.sh. Timings are CPU time of the benchmark's one thread, so
# that other work on the machine costs it as little as possible; a quiet
# machine still gives the steadiest figures.
#
#   scripts/perf.sh [--repetitions N]
set -euo pipefail
cd "$(dirname "$0")/.."

repetitions=5
case "${1:-}" in
  --repetitions) repetitions="$2" ;;
  "") ;;
  *) echo "usage: $0 [--repetitions N]" >&2; exit 2 ;;
esac

build=build
cmake -S . -B "$build" -DTAVELOND_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tavelond-bench >/dev/null

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
SDL_VIDEODRIVER=dummy "$build/bench/tavelond-bench" --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true --benchmark_color=false 2>/dev/null >"$out"

# Median lines: name real unit cpu unit iterations counters...
us() { awk -v v="$1" -v u="$2" 'BEGIN { printf "%.1f", v * ((u == "ns") ? 1e-3 : (u == "ms") ? 1e3 : 1) }'; }
median() { # case -> median CPU time in microseconds
  read -r _ _ _ cpu unit _ < <(grep "^$1_median " "$out")
  us "$cpu" "$unit"
}

printf '%-26s %12s %12s  %s\n' "case (median of $repetitions)" "CPU us" "wall us" "counters"
grep '_median ' "$out" | while read -r name real ru cpu cu _ counters; do
  printf '%-26s %12s %12s  %s\n' "${name%_median}" "$(us "$cpu" "$cu")" "$(us "$real" "$ru")" "$counters"
done

ratio() { # label numerator denominator limit
  local a b
  a=$(median "$2")
  b=$(median "$3")
  awk -v l="$1" -v a="$a" -v b="$b" -v lim="$4" 'BEGIN {
    r = a / b; printf "%-44s %6.3f  %s (<= %s)\n", l, r, (r <= lim) ? "ok" : "MISSED", lim }'
}
echo
echo "ratios of median CPU times"
ratio "BM_Frame/1000 / BM_DrawFloor/1000" BM_Frame/1000 BM_DrawFloor/1000 1.15
ratio "BM_Frame/4000 / BM_DrawFloor/4000" BM_Frame/4000 BM_DrawFloor/4000 1.15
ratio "BM_FrameOffscreen/10000 / BM_Frame/1000" BM_FrameOffscreen/10000 BM_Frame/1000 1.3
ratio "BM_TowerMove/10000 / BM_TowerMove/1000" BM_TowerMove/10000 BM_TowerMove/1000 11
echo
scripts/pacing.sh || true
