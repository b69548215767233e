#!/usr/bin/env bash
# The real program with no display to show it: DISPLAY unset, or naming a
# display no server answers, and no Wayland.
#
#   no-display.sh TOY RUNTIME [LIBDIR]
#
# On sdl12-compat SDL 2 would fall back to its offscreen driver and play
# unseen: the program must print "Error: Couldn't initialize SDL" and end with
# status 1, unless the user named that driver. The classic SDL 1.2 falls back
# to its caca driver and plays in the terminal as coloured text art: that run
# gets a terminal type, no terminal, and an Escape on standard input. Every run
# is bounded by a time limit. Exit 0 on success, 1 on a failed check, 77 when
# the runtime is missing outside CI.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toy=$(realpath "$1")
runtime=$2
libdir=${3:-}
[[ "$runtime" == sdl12-compat ]] || libdir="" # the classic library is the one linked in
# shellcheck source=tests/window/checks.sh
source "$here/checks.sh"
need_runtime "$runtime" "$libdir"

limit=20 # seconds a run may take before it is killed (status 124)

work=$(mktemp -d "${TMPDIR:-/tmp}/tavelond-nodisplay.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A display number with no server: neither its socket nor its lock exists.
dead=900
while [[ -e /tmp/.X11-unix/X$dead || -e /tmp/.X$dead-lock ]]; do dead=$((dead + 1)); done
mkdir "$work/runtime-dir" # an XDG_RUNTIME_DIR with no Wayland socket in it

# The situations: the variables set on top of an environment cleared of
# DISPLAY, WAYLAND_DISPLAY, SDL_VIDEODRIVER and CACA_DRIVER.
situations=(
  "no display|"
  "a dead display|DISPLAY=:$dead"
  "a dead display and a dead Wayland|DISPLAY=:$dead XDG_RUNTIME_DIR=$work/runtime-dir WAYLAND_DISPLAY=wayland-none"
)

# run INPUT VAR=value...: runs the toy with standard input from the command
# INPUT, leaving its status, output and seconds taken in status, out, took.
run() {
  local input=$1 start
  shift
  local vars=(-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u CACA_DRIVER "$@")
  [[ -z "$libdir" ]] || vars+=("LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}")
  start=$(date +%s%N)
  status=0
  (cd "$work" && $input | timeout "$limit" env "${vars[@]}" "$toy" >"$work/out" 2>"$work/err") || status=$?
  took=$(awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { printf "%.1f", ns / 1e9 }')
  out=$(cat "$work/out")
}
nothing() { true; }
escape_after_a_second() {
  sleep 1
  printf '\033'
}

echo "runtime: $runtime${libdir:+ ($libdir)}; the dead display is :$dead"
for s in "${situations[@]}"; do
  IFS='|' read -r what vars <<<"$s"
  read -r -a vars <<<"$vars"
  if [[ "$runtime" == sdl12-compat ]]; then
    run nothing ${vars[@]+"${vars[@]}"}
    check "$what: status (in ${took}s)" "$status" 1
    check "$what: standard output" "$out" "Error: Couldn't initialize SDL"
  else
    # ncurses needs a terminal type; the art goes to standard output.
    run escape_after_a_second TERM=xterm ${vars[@]+"${vars[@]}"}
    check "$what: Escape ends the terminal game, status (in ${took}s)" "$status" 0
    check "$what: played through the caca driver" "$(grep -c 'caca for ncurses' <<<"$out" || true)" 1
    check_range "$what: bytes of terminal art" "$(wc -c <"$work/out")" 10000 10000000
    check "$what: no error" "$(grep -c 'Error' <<<"$out" || true)" 0
  fi
done

if [[ "$runtime" == sdl12-compat ]]; then
  # The invisible driver asked for by name plays until it is stopped.
  limit=3
  run nothing SDL_VIDEODRIVER=offscreen
  check "SDL_VIDEODRIVER=offscreen, named by the user: still playing at the time limit" "$status" 124
  check "SDL_VIDEODRIVER=offscreen: nothing on standard output" "$out" ""
fi

echo "$runtime with no display: $failures check(s) failed"
((failures == 0))
