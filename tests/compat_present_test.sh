#!/usr/bin/env bash
# On sdl12-compat the toy shows its picture through SDL 2's software path
# unless the user asks for another: OpenGL is then not even loaded. Runs the
# program in a real window under Xvfb and looks at what the process mapped.
#
#   compat_present_test.sh TAVELOND_BINARY
set -euo pipefail

bin=$(realpath "$1")
compat_dir=${TAVELOND_COMPAT_DIR:-/usr/lib/x86_64-linux-gnu/sdl12-compat}
# Outside CI a missing tool skips the test (77); CI must run it, so there it fails.
skip() {
  if [ "${CI:-}" = true ]; then echo "FAIL: $* (CI must run this test)"; exit 1; fi
  echo "SKIP: $*"
  exit 77
}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -e "$compat_dir/libSDL-1.2.so.0" ] || skip "no sdl12-compat in $compat_dir"

tmp=$(mktemp -d)
xvfb=
game=
cleanup() {
  [ -z "$game" ] || kill "$game" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 800x600x24 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$tmp/display")"

failures=0
# runtime | environment given by the user | OpenGL expected in the process
cases=(
  "classic|                                                      |no"
  "compat |                                                      |no"
  "compat |SDL_RENDER_DRIVER=opengl SDL_FRAMEBUFFER_ACCELERATION=1|yes"
  "compat |SDL_RENDER_DRIVER=opengl                              |yes"
)
for c in "${cases[@]}"; do
  IFS='|' read -r runtime userenv want <<<"$c"
  runtime=${runtime// /}
  read -r -a vars <<<"$userenv"
  libpath=()
  [ "$runtime" = classic ] || libpath=(LD_LIBRARY_PATH="$compat_dir")

  (cd "$tmp" && exec env "${libpath[@]}" "${vars[@]}" "$bin" >"$tmp/out" 2>&1) &
  game=$!
  if ! timeout 10 xdotool search --sync --onlyvisible --name '^Tavelond$' >/dev/null; then
    echo "FAIL: $runtime ${vars[*]}: no window within 10 s"; cat "$tmp/out"
    failures=$((failures + 1))
  else
    sleep 0.5  # a few frames flipped
    got=no
    grep -q 'libGL' "/proc/$game/maps" && got=yes
    if [ "$got" = "$want" ]; then
      echo "ok: $runtime ${vars[*]:-(defaults)}: OpenGL loaded: $got"
    else
      echo "FAIL: $runtime ${vars[*]:-(defaults)}: OpenGL loaded: $got, wanted $want"
      failures=$((failures + 1))
    fi
  fi
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  game=
done

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
