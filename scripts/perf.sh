#!/usr/bin/env bash
# Builds and runs the benchmarks, prints the medians and the ratios that
# matter (each from one run), then measures the real frame loop with
# scripts/pacing.sh. Timings are CPU time of the benchmark's one thread, so
# that other work on the machine costs it as little as possible, and the
# repetitions of all cases are interleaved in random order, so that a busy
# spell weighs on every case alike; a quiet machine still gives the
# steadiest figures.
#
#   scripts/perf.sh [--repetitions N]
set -euo pipefail
cd "$(dirname "$0")/.."

repetitions=12
readonly kMinTime=0.2 # seconds per repetition
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
  --benchmark_min_time="$kMinTime" --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true --benchmark_color=false 2>/dev/null >"$out"

# Aggregate lines: name real unit cpu unit iterations counters...
us() { awk -v v="$1" -v u="$2" 'BEGIN { printf "%.1f", v * ((u == "ns") ? 1e-3 : (u == "ms") ? 1e3 : 1) }'; }
stat() { # case statistic -> CPU time in microseconds
  local cpu unit
  read -r _ _ _ cpu unit _ < <(grep "^$1_$2 " "$out")
  us "$cpu" "$unit"
}

printf '%-26s %11s %11s %11s  %s\n' "case ($repetitions repetitions)" "median CPU" "min CPU" "median wall" "counters"
for c in BM_TowerMove/100 BM_TowerMove/1000 BM_TowerMove/10000 BM_Frame/100 BM_Frame/1000 BM_Frame/4000 \
  BM_DrawFloor/100 BM_DrawFloor/1000 BM_DrawFloor/4000 BM_FrameOffscreen/10000; do
  read -r _ real ru _ _ _ counters < <(grep "^${c}_median " "$out")
  printf '%-26s %11s %11s %11s  %s\n' "$c" "$(stat "$c" median)" "$(stat "$c" min)" "$(us "$real" "$ru")" "$counters"
done
echo "(times in microseconds)"

ratio() { # label numerator denominator limit
  local am bm an bn
  am=$(stat "$2" median)
  bm=$(stat "$3" median)
  an=$(stat "$2" min)
  bn=$(stat "$3" min)
  awk -v l="$1" -v am="$am" -v bm="$bm" -v an="$an" -v bn="$bn" -v lim="$4" 'BEGIN {
    r = am / bm; q = an / bn
    printf "%-42s %7.3f %7.3f  %s (<= %s)\n", l, r, q, (r <= lim) ? "ok" : "MISSED", lim }'
}
echo
printf '%-42s %7s %7s  %s\n' "ratio of CPU times" "median" "min" "goal, judged on the medians"
ratio "BM_Frame/1000 / BM_DrawFloor/1000" BM_Frame/1000 BM_DrawFloor/1000 1.15
ratio "BM_Frame/4000 / BM_DrawFloor/4000" BM_Frame/4000 BM_DrawFloor/4000 1.15
ratio "BM_FrameOffscreen/10000 / BM_Frame/1000" BM_FrameOffscreen/10000 BM_Frame/1000 1.3
ratio "BM_TowerMove/10000 / BM_TowerMove/1000" BM_TowerMove/10000 BM_TowerMove/1000 11
# The same ratio with each frame's world step taken out: the drawing work
# alone, which is what culling can make track the visible part.
awk -v o="$(stat BM_FrameOffscreen/10000 median)" -v m="$(stat BM_TowerMove/10000 median)" \
  -v f="$(stat BM_Frame/1000 median)" -v n="$(stat BM_TowerMove/1000 median)" \
  'BEGIN { printf "%-42s %7.3f  (drawing alone: Offscreen - TowerMove/10000 over Frame/1000 - TowerMove/1000; no goal)\n",
    "same, world step taken out of both", (o - m) / (f - n) }'
echo
scripts/pacing.sh || true
