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
# shellcheck source=tests/window/xsession.sh
source "$here/xsession.sh"
# shellcheck source=tests/window/checks.sh
source "$here/checks.sh"
take_window_args "$@"

command -v Xvfb >/dev/null || unavailable "Xvfb is not installed"
command -v xdotool >/dev/null || unavailable "xdotool is not installed"

start_session e2e

echo "runtime: $runtime${XS_LIBDIR:+ ($XS_LIBDIR)}"
need xs_start_display
need xs_start_toy

# --- the window and the library behind it
pass "a window captioned 'Tavelond'"
check "window size" "$(xs_size)" "640x480"
check_runtime_loaded "$runtime"

# --- build: two anchors, then the free spot
build_joint 1
need xs_shoot_settled "$XS_WORK/settled.bmp"
shot="$XS_WORK/settled.bmp"

check "picture size" "$(probe size "$shot")" "640 480"
# Above the terrain (never higher than y = 306) and the structure there is
# nothing but background.
read -r n _ <<<"$(probe blob "$shot" "${grey[@]}" 0 0 639 289)"
check "sky rows 0..289 are all background grey" "$n" $((640 * 290))

check_anchors "$shot"
check_new_joint "$shot"

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
