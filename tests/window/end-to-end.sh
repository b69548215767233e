#!/usr/bin/env bash
# The real program in a real X window: open it, build on two anchors, let the
# structure come to rest, save and check the picture, pan, and quit.
#
#   end-to-end.sh TOY BMP_PROBE RUNTIME [LIBDIR]
#
# RUNTIME is "classic" (the system's SDL 1.2) or "sdl12-compat" (SDL 1.2 on
# SDL 2, loaded from LIBDIR). Exit 0 on success, 1 on a failed check, and 77
# (a skip) when Xvfb, xdotool or the runtime is missing outside CI. In CI a
# missing tool fails.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
XS_TOY=$(realpath "$1")
XS_PROBE=$(realpath "$2")
runtime=$3
XS_LIBDIR=${4:-}
# shellcheck source=tests/window/xsession.sh
source "$here/xsession.sh"

# shellcheck source=tests/unavailable.sh
source "$here/../unavailable.sh"

command -v Xvfb >/dev/null || unavailable "Xvfb is not installed"
command -v xdotool >/dev/null || unavailable "xdotool is not installed"
case "$runtime" in
  classic) ;;
  sdl12-compat) [[ -e "$XS_LIBDIR/libSDL-1.2.so.0" ]] || unavailable "no sdl12-compat in '$XS_LIBDIR'" ;;
  *) echo "unknown runtime '$runtime'" >&2; exit 2 ;;
esac

XS_WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavelond-e2e.XXXXXX")
failures=0
finish() {
  xs_cleanup
  if ((failures == 0)); then
    rm -rf "$XS_WORK"
  else
    echo "pictures and logs kept in $XS_WORK"
  fi
}
trap finish EXIT

pass() { echo "ok   $1"; }
fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}
# check DESCRIPTION ACTUAL EXPECTED
check() {
  if [[ "$2" == "$3" ]]; then pass "$1"; else fail "$1: got '$2', want '$3'"; fi
}
# check_near DESCRIPTION ACTUAL EXPECTED TOLERANCE (numbers)
check_near() {
  if [[ "$2" =~ ^-?[0-9]+(\.[0-9]+)?$ ]] && awk -v a="$2" -v e="$3" -v t="$4" 'BEGIN { d = a - e; exit !(d <= t && -d <= t) }'; then
    pass "$1 ($2)"
  else
    fail "$1: got $2, want $3 ± $4"
  fi
}
# check_range DESCRIPTION ACTUAL LOW HIGH (integers)
check_range() {
  if [[ "$2" =~ ^-?[0-9]+$ ]] && (($2 >= $3 && $2 <= $4)); then pass "$1 ($2)"; else fail "$1: got $2, want $3..$4"; fi
}
probe() { "$XS_PROBE" "$@"; }
# A must-not: fails the run at once, since later steps depend on it.
need() {
  "$@" || {
    fail "$*"
    exit 1
  }
}

readonly grey=(64 64 64) orange=(206 101 0) red=(240 0 0)
# Anchors at rest, in window pixels with the view at (0, 0): x, and the
# terrain height there (414.4, 458.5, 365.4, 380.4) cut to whole pixels.
readonly anchors=("128 414" "256 458" "384 365" "512 380")
# Two anchors are picked, then the free spot is clicked. The new joint hangs
# where gravity balances its springs (rest lengths 72.7 and 96, the cap) at
# about (194.2, 386.8), drawn at (194, 386).
readonly spot="192 380" hanging_x=194 hanging_y=386
readonly joint_box="150 330 240 420" # holds the new joint, no anchor
# The pan: a drag by (+60, -42) that starts on empty sky.
readonly pan_from="400 200" pan_x=60 pan_y=-42
readonly disc_area_min=420 disc_area_max=500 # a disc of radius 12: pi * 144 = 452; 11 gives 380, 13 gives 531
readonly core_area_min=230 core_area_max=290 # the core, radius 9: 254; 8 gives 201, 10 gives 314

echo "runtime: $runtime${XS_LIBDIR:+ ($XS_LIBDIR)}"
need xs_start_display
need xs_start_toy

# --- the window and the library behind it
pass "a window captioned 'Tavelond'"
check "window size" "$(xs_size)" "640x480"
libs=$(xs_sdl_libraries)
echo "SDL libraries mapped: $(echo "$libs" | tr '\n' ' ')"
if [[ "$runtime" == sdl12-compat ]]; then
  check "sdl12-compat is loaded" "$(grep -c "^$XS_LIBDIR/libSDL-1.2.so" <<<"$libs" || true)" 1
  check "SDL 2 is loaded beneath it" "$(grep -c 'libSDL2-2.0.so' <<<"$libs" || true)" 1
else
  check "the classic SDL 1.2 is loaded" "$(grep -c 'libSDL-1.2.so' <<<"$libs" || true)" 1
  check "no SDL 2 is loaded" "$(grep -c 'libSDL2' <<<"$libs" || true)" 0
fi

# --- build: two anchors, then the free spot
read -r a1x a1y <<<"${anchors[0]}"
read -r a2x a2y <<<"${anchors[1]}"
xs_click "$a1x" "$a1y"
xs_click "$a2x" "$a2y"
# shellcheck disable=SC2086
xs_click $spot
need xs_shoot_settled "$XS_WORK/settled.bmp"
shot="$XS_WORK/settled.bmp"

check "picture size" "$(probe size "$shot")" "640 480"
# Above the terrain (never higher than y = 306) and the structure there is
# nothing but background.
read -r n _ <<<"$(probe blob "$shot" "${grey[@]}" 0 0 639 289)"
check "sky rows 0..289 are all background grey" "$n" $((640 * 290))

for a in "${anchors[@]}"; do
  read -r x y <<<"$a"
  check "anchor ($x, $y): orange core" "$(probe pixel "$shot" "$x" "$y")" "${orange[*]}"
  read -r n _ <<<"$(probe blob "$shot" "${orange[@]}" $((x - 9)) $((y - 9)) $((x + 9)) $((y + 9)))"
  check_range "anchor ($x, $y): core area" "$n" "$core_area_min" "$core_area_max"
  check "anchor ($x, $y): red rim left" "$(probe pixel "$shot" $((x - 11)) "$y")" "${red[*]}"
  check "anchor ($x, $y): red rim right" "$(probe pixel "$shot" $((x + 11)) "$y")" "${red[*]}"
  check "anchor ($x, $y): red rim above" "$(probe pixel "$shot" "$x" $((y - 11)))" "${red[*]}"
  check "anchor ($x, $y): red rim below" "$(probe pixel "$shot" "$x" $((y + 11)))" "${red[*]}"
done

# shellcheck disable=SC2086
read -r n jx jy <<<"$(probe blob "$shot" "${orange[@]}" $joint_box)"
check_range "new joint: a whole orange disc" "$n" "$disc_area_min" "$disc_area_max"
check_near "new joint hangs at x" "$jx" "$hanging_x" 1.5
check_near "new joint hangs at y" "$jy" "$hanging_y" 1.5

# Springs: white anti-aliased lines from the new joint to both anchors. Their
# middle thirds cross only background, so the brightest pixel near the
# midpoint is the line's own, a light grey (white blended over grey).
for a in "${anchors[0]}" "${anchors[1]}"; do
  read -r x y <<<"$a"
  mx=$(awk -v a="$jx" -v b="$x" 'BEGIN { printf "%d", (a + b) / 2 }')
  my=$(awk -v a="$jy" -v b="$y" 'BEGIN { printf "%d", (a + b) / 2 }')
  read -r r g b _ <<<"$(probe brightest "$shot" $((mx - 2)) $((my - 2)) $((mx + 2)) $((my + 2)))"
  if [[ "$b" =~ ^[0-9]+$ && "$r" == "$b" && "$g" == "$b" ]] && ((b >= 160)); then
    pass "spring to ($x, $y): light grey line pixel near ($mx, $my): $r $g $b"
  else
    fail "spring to ($x, $y): brightest pixel near ($mx, $my) is '$r $g $b', want grey-scale, at least 160"
  fi
done

# The terrain is dashed: x = 4..8 is drawn (near y = 409), x = 9..11 is a gap.
read -r r _ <<<"$(probe brightest "$shot" 5 395 7 425)"
check_range "terrain dash at x = 5..7" "$r" 160 255
check "terrain gap at x = 10" "$(probe brightest "$shot" 10 290 10 479 | cut -d' ' -f1-3)" "${grey[*]}"

# --- pan: the whole structure follows the drag
# shellcheck disable=SC2086
xs_drag $pan_from $pan_x $pan_y
need xs_shoot "$XS_WORK/panned.bmp"
panned="$XS_WORK/panned.bmp"
for a in "${anchors[@]}"; do
  read -r x y <<<"$a"
  px=$((x + pan_x)) py=$((y + pan_y))
  check "anchor ($x, $y) panned: core at ($px, $py)" "$(probe pixel "$panned" "$px" "$py")" "${orange[*]}"
  check "anchor ($x, $y) panned: rim at ($((px - 11)), $py)" "$(probe pixel "$panned" $((px - 11)) "$py")" "${red[*]}"
  if [[ "$(probe pixel "$panned" "$x" "$y")" != "${orange[*]}" ]]; then
    pass "anchor ($x, $y) panned: left its old spot"
  else
    fail "anchor ($x, $y) panned: still orange at its old spot"
  fi
done
read -r bx0 by0 bx1 by1 <<<"$joint_box"
read -r n px py <<<"$(probe blob "$panned" "${orange[@]}" $((bx0 + pan_x)) $((by0 + pan_y)) $((bx1 + pan_x)) $((by1 + pan_y)))"
check_range "new joint panned: a whole orange disc" "$n" "$disc_area_min" "$disc_area_max"
check_near "new joint panned by the drag in x" "$(awk -v a="$px" -v b="$jx" 'BEGIN { print a - b }')" "$pan_x" 0.01
check_near "new joint panned by the drag in y" "$(awk -v a="$py" -v b="$jy" 'BEGIN { print a - b }')" "$pan_y" 0.01
# The dash pattern stays put in the window while the profile slides under it.
check "terrain gap at x = 10 after the pan" "$(probe brightest "$panned" 10 290 10 479 | cut -d' ' -f1-3)" "${grey[*]}"

# --- quit
need xs_quit
check "Escape ends the program with status 0" "$XS_STATUS" 0
check "nothing on standard output" "$(cat "$XS_WORK/toy.out")" ""

echo "$runtime: $failures check(s) failed"
((failures == 0))
