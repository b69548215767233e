#!/usr/bin/env bash
# Makes the README's pictures from the toy's own F12 screenshots: it builds a
# small structure in a real window (under Xvfb, driven by xdotool, the same
# driving as the end-to-end test) and writes
#   docs/screenshot.png  the settled structure, with two joints selected;
#   docs/building.gif    the structure being built, one frame per screenshot.
# Installs what is missing (ImageMagick included), builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/deps.sh test
if ! dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q 'ok installed'; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "Installing: imagemagick"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi
convert=/usr/bin/convert

cmake -S . -B build -DTAVELOND_TESTS=ON >/dev/null # the probe is built with the tests
cmake --build build -j2 --target tavelond bmp-probe >/dev/null

XS_TOY="$root/build/tavelond"
XS_PROBE="$root/build/tests/bmp-probe"
XS_WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavelond-pictures.XXXXXX")
# shellcheck source=tests/window/xsession.sh
source "$root/tests/window/xsession.sh"
finish() {
  local status=$?
  xs_cleanup
  if ((status == 0)); then rm -rf "$XS_WORK"; else echo "frames kept in $XS_WORK" >&2; fi
}
trap finish EXIT

frames="$XS_WORK/frames"
mkdir -p "$frames"
frame=0
last=""
last_time=""
delays=() # centiseconds each frame stays up: the real time until the next one

# Saves the current picture as the next animation frame.
film() {
  local now
  last=$(printf '%s/%04d.bmp' "$frames" "$frame")
  xs_shoot "$last"
  now=$(date +%s%N)
  if [[ -n "$last_time" ]]; then delays+=($(((now - last_time) / 10000000))); fi
  last_time=$now
  frame=$((frame + 1))
}

# Films for $1 whole seconds.
film_for() {
  local until=$(($(date +%s%N) + $1 * 1000000000))
  film
  while (($(date +%s%N) < until)); do film; done
}

# Window position of the joint drawn near (x, y) in the latest frame: the
# centre of the orange pixels within 20 pixels (in x and y) of the point. The
# joints this is used on lie more than 60 pixels apart, so the box holds one.
locate() {
  local n cx cy
  read -r n cx cy <<<"$("$XS_PROBE" blob "$last" 206 101 0 $(($1 - 20)) $(($2 - 20)) $(($1 + 20)) $(($2 + 20)))"
  ((n > 0)) || {
    echo "no joint near ($1, $2) in $last" >&2
    return 1
  }
  printf '%.0f %.0f\n' "$cx" "$cy"
}

# Where each joint was last seen, by name, in window pixels.
declare -A at=([a1]="128 414" [a2]="256 458" [a3]="384 365" [a4]="512 380")

# select NAME: clicks the joint and films the selection ring.
select_joint() {
  # shellcheck disable=SC2086
  xs_click ${at[$1]}
  film
}

# place NAME FIRST SECOND X Y: selects two joints, shows the preview at
# (X, Y) for a moment, places NAME there and films it settling. Every
# spring is shorter than the rest-length cap (96), so the joints hang only a
# few pixels below where they were placed.
place() {
  select_joint "$2"
  select_joint "$3"
  xs_move "$4" "$5"
  film_for 1
  xs_click "$4" "$5"
  film_for 2
  at[$1]=$(locate "$4" "$5")
}

xs_start_display
xs_start_toy
film_for 1
place p1 a1 a2 205 385
place p2 a2 a3 295 377
place p3 p1 p2 250 315
place p4 a3 a4 454 318
place p5 p2 a3 340 305
place p6 p3 p5 295 245
place p7 p5 p4 400 250
place p8 p6 p7 348 180
# Finish with a selection: two joints picked, the preview following the cursor.
select_joint p8
select_joint p7
cursor=(450 160)
xs_move "${cursor[@]}"
from=$frame
film_for 2
# The still shows the rings at their brightest moment of the pulse.
best=-1
for ((i = from; i < frame; i++)); do
  f=$(printf '%s/%04d.bmp' "$frames" "$i")
  read -r r _ <<<"$("$XS_PROBE" brightest "$f" $((cursor[0] - 13)) $((cursor[1] - 13)) $((cursor[0] + 13)) $((cursor[1] + 13)))"
  if ((r > best)); then
    best=$r
    cp "$f" "$XS_WORK/still.bmp"
  fi
done
xs_quit
((XS_STATUS == 0)) || {
  echo "the toy ended with status $XS_STATUS" >&2
  exit 1
}
delays+=(300) # hold the last frame before the loop starts again

mkdir -p docs
"$convert" "$XS_WORK/still.bmp" -strip docs/screenshot.png

# ImageMagick keeps every frame of a sequence in memory, and past its memory
# limit (256 MiB on Debian) it pages them to disk, which is very slow. So the
# animation is optimised in short runs of frames, whose optimised frames
# (each only the rectangle that changed) are small enough to join at once.
run_length=40
parts=()
for ((start = 0; start < frame; start += run_length)); do
  args=()
  for ((i = start; i < frame && i < start + run_length; i++)); do
    args+=(-delay "${delays[$i]}" "$(printf '%s/%04d.bmp' "$frames" "$i")")
  done
  part=$(printf '%s/part-%04d.gif' "$XS_WORK" "$start")
  "$convert" "${args[@]}" -layers Optimize "$part"
  parts+=("$part")
done
"$convert" "${parts[@]}" -loop 0 -strip docs/building.gif
ls -l docs/screenshot.png docs/building.gif
echo "$frame frames"
