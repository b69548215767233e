#!/usr/bin/env bash
# Measures the real frame loop: frame periods over at least 600 frames, the
# recovery from one slow frame, and the CPU the game burns while nothing
# happens. Runs the game under Xvfb (or, with --headless, on SDL's dummy
# driver) with a preloaded shim (scripts/pacing-shim.c) that notes the time
# of every SDL_Flip, SDL_Delay and tick reading of the game and passes each
# call on untouched. Frames are counted from one start of a frame (the tick
# reading after the wait) to the next. Prints the figures and whether each
# meets its goal; exits 1 when one does not.
#
# --sdl12-compat runs the game on sdl12-compat (SDL 1.2 on SDL 2) instead of
# the classic SDL 1.2 library.
#
#   scripts/pacing.sh [--headless] [--sdl12-compat] [--seconds N]
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
runtime="classic SDL 1.2"
seconds=10 # length of the idle CPU window; the run lasts 4 s longer
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --sdl12-compat)
      compat="/usr/lib/$(gcc -print-multiarch)/sdl12-compat"
      [ -e "$compat/libSDL-1.2.so.0" ] || { echo "sdl12-compat is not installed" >&2; exit 1; }
      export LD_LIBRARY_PATH="$compat${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
      runtime="sdl12-compat"
      ;;
    --seconds) seconds="$2"; shift ;;
    *) echo "usage: $0 [--headless] [--sdl12-compat] [--seconds N]" >&2; exit 2 ;;
  esac
  shift
done

readonly kFrameMs=16      # the loop's shortest frame
readonly kMinFrames=600   # frames a pacing run must cover
readonly kSlowFrame=120   # flip after which the shim sleeps 40 ms
readonly kSlowMs=40
readonly kAtOnceMs=2      # "at once": the next flip within this of the slow frame's end
readonly kIdleCpuPct=3    # most CPU per cent of one core while idle
readonly kSettleS=1.5     # start-up left out of every figure
readonly kTailS=2.5       # running on after the CPU window, so that >= 600 frames are seen

build=build
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target tavelond >/dev/null
shim="$build/pacing-shim.so"
# shellcheck disable=SC2046
cc -O2 -shared -fPIC -o "$shim" scripts/pacing-shim.c $(pkg-config --cflags sdl) -ldl

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${PACING_KEEP:-}" ] && cp -r "$work" "$PACING_KEEP"; rm -rf "$work"
}
trap cleanup EXIT

if [ "$headless" -eq 1 ]; then
  export SDL_VIDEODRIVER=dummy
  where="dummy video driver"
else
  command -v Xvfb >/dev/null || { echo "Xvfb is missing: scripts/deps.sh test" >&2; exit 1; }
  display=""
  for d in $(seq 71 99); do
    if [ ! -e "/tmp/.X$d-lock" ] && [ ! -e "/tmp/.X11-unix/X$d" ]; then display=$d; break; fi
  done
  [ -n "$display" ] || { echo "no free X display" >&2; exit 1; }
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  export DISPLAY=":$display"
  unset SDL_VIDEODRIVER
  where="Xvfb :$display, 24-bit"
fi

game="$(pwd)/$build/tavelond"
shim="$(pwd)/$shim"

# CPU time of a process in clock ticks: utime + stime from /proc/PID/stat.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Starts the game with the shim in a scratch directory, so that nothing it
# might write lands in the tree. The subshell execs, so $! is the game.
launch() { # log [slow-frame]
  (cd "$work" && exec env LD_PRELOAD="$shim" PACING_LOG="$1" ${2:+PACING_SLOW_FRAME="$2"} "$game") >/dev/null &
  game_pid=$!
}

# Asks the game to quit (SDL turns SIGTERM into a quit request) and waits.
stop() {
  kill -TERM "$game_pid"
  wait "$game_pid" || { echo "the game did not exit cleanly" >&2; exit 1; }
  game_pid=""
}

steady="$work/steady.log"
launch "$steady"
sleep "$kSettleS"
t0=$(date +%s.%N)
c0=$(cpu_ticks "$game_pid")
sleep "$seconds"
t1=$(date +%s.%N)
c1=$(cpu_ticks "$game_pid")
sleep "$kTailS"
stop
idle_pct=$(awk -v c="$((c1 - c0))" -v hz="$(getconf CLK_TCK)" -v a="$t0" -v b="$t1" \
  'BEGIN { printf "%.2f", 100 * c / hz / (b - a) }')

slow="$work/slow.log"
launch "$slow" "$kSlowFrame"
sleep 4
stop

# Frame starts, from the shim's notes: the loop reads the ticks twice after
# each flip, and the second reading starts the next frame. One line per
# start: wall ns, ticks, index of the flip before it (-1 for the first).
starts() {
  awk '$1 == "G" && !begun { print $2, $3, -1; begun = 1; next }
       $1 == "F" { reads = 0; flip = n++; open = 1; next }
       $1 == "G" && open && ++reads == 2 { print $2, $3, flip; open = 0 }' "$1"
}

# Frame lengths after start-up, wall clock in ms and in ticks.
skip=$(awk -v s="$kSettleS" -v f="$kFrameMs" 'BEGIN { printf "%d", s * 1000 / f }')
starts "$steady" | awk -v skip="$skip" 'NR > skip + 1 { printf "%.3f %d\n", ($1 - ns) / 1e6, $2 - tk } { ns = $1; tk = $2 }' \
  >"$work/frames"
frames=$(wc -l <"$work/frames")
read -r median min max short_wall min_ticks max_ticks short_ticks < <(sort -n -k1,1 "$work/frames" | awk -v goal="$kFrameMs" '
  { p[NR] = $1; if ($1 < goal) sw++; if ($2 < goal) st++; if (NR == 1 || $2 < mt) mt = $2; if ($2 > xt) xt = $2 }
  END {
    n = NR; med = (n % 2) ? p[(n + 1) / 2] : (p[n / 2] + p[n / 2 + 1]) / 2
    printf "%.3f %.3f %.3f %d %d %d %d\n", med, p[1], p[n], sw + 0, mt, xt, st + 0
  }')
flip_median=$(awk -v skip="$skip" '$1 == "F" { if (++n > skip + 1) printf "%.3f\n", ($2 - ns) / 1e6; ns = $2 }' "$steady" |
  sort -n | awk '{ p[NR] = $1 } END { n = NR; printf "%.3f", (n % 2) ? p[(n + 1) / 2] : (p[n / 2] + p[n / 2 + 1]) / 2 }')

# The slow frame: its length in ticks, the gap from the end of its sleep to
# the start of the next frame, and the 30 frames after it: their shortest
# length in ticks and their total wall time (a catch-up would shorten it).
end_ns=$(awk '$1 == "S" { print $2 }' "$slow")
read -r slow_ticks gap after_min_ticks after_total < <(starts "$slow" | awk -v k="$kSlowFrame" -v s="$end_ns" '
  { ns[NR - 1] = $1; tk[NR - 1] = $2 }
  END {
    mt = 1e9
    for (i = k + 1; i <= k + 30; ++i) { t = tk[i + 1] - tk[i]; if (t < mt) mt = t }
    printf "%d %.3f %d %.3f\n", tk[k + 1] - tk[k], (ns[k + 1] - s) / 1e6, mt, (ns[k + 31] - ns[k + 1]) / 1e6
  }')

verdict() { if awk "BEGIN { exit !($1) }"; then echo "ok"; else echo "MISSED"; fi; }
report() {
echo "Frame loop on $runtime, $where, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
row() { printf '%-46s %-28s %s\n' "$@"; }
row "figure" "measured" "goal"
row "frames measured" "$frames" "$(verdict "$frames >= $kMinFrames") (>= $kMinFrames)"
row "median frame length, wall clock" "$median ms" "$(verdict "$median >= 16 && $median <= 17") (16..17 ms)"
row "median period between flips, wall clock" "$flip_median ms" "-"
row "shortest / longest frame, SDL ticks" "$min_ticks / $max_ticks ms ($short_ticks below 16)" \
  "$(verdict "$min_ticks >= $kFrameMs") (>= 16 ms)"
row "shortest / longest frame, wall clock" "$min / $max ms ($short_wall below 16)" \
  "$(verdict "$min >= $kFrameMs") (>= 16 ms)"
row "frame slowed by ${kSlowMs} ms, SDL ticks" "$slow_ticks ms" \
  "$(verdict "$slow_ticks >= $kSlowMs && $slow_ticks < $kSlowMs + $kFrameMs") (>= 40, < 56 ms)"
row "next frame starts after the slow one ends" "$gap ms" "$(verdict "$gap < $kAtOnceMs") (< $kAtOnceMs ms)"
row "the 30 frames after it, wall clock in all" "$after_total ms" \
  "$(verdict "$after_total >= 30 * $kFrameMs") (>= 480 ms: no catch-up)"
row "shortest of those 30, SDL ticks" "$after_min_ticks ms" "-"
row "idle CPU over ${seconds} s" "$idle_pct % of a core" "$(verdict "$idle_pct <= $kIdleCpuPct") (<= $kIdleCpuPct %)"
}
table=$(report)
echo "$table"
! grep -q MISSED <<<"$table"
