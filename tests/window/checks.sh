# shellcheck shell=bash disable=SC2034 # the scene's facts are read by the sourcing scripts
# Verdicts and the scene as the toy draws it: sourced by the window tests.
# Each check prints "ok" or "FAIL" with what it saw; `failures` counts the
# failed ones. XS_PROBE (bmp-probe) must be set before `probe` is used.

failures=0

# A missing tool or runtime: skipped (77) outside CI; in CI the test fails.
# shellcheck source=tests/unavailable.sh
source "$(dirname "${BASH_SOURCE[0]}")/../unavailable.sh"

# Skips or fails unless RUNTIME ("classic" or "sdl12-compat", whose library
# is in LIBDIR) can be run.
need_runtime() {
  case "$1" in
    classic) ;;
    sdl12-compat) [[ -e "$2/libSDL-1.2.so.0" ]] || unavailable "no sdl12-compat in '$2'" ;;
    *) echo "unknown runtime '$1'" >&2; exit 2 ;;
  esac
}

# Reads the arguments of the window tests, TOY BMP_PROBE RUNTIME [LIBDIR], into
# XS_TOY, XS_PROBE, runtime and XS_LIBDIR, then skips or fails unless RUNTIME
# can be run. LIBDIR counts for sdl12-compat alone: the classic library is the
# one linked in.
take_window_args() {
  XS_TOY=$(realpath "$1")
  XS_PROBE=$(realpath "$2")
  runtime=$3
  XS_LIBDIR=${4:-}
  [[ "$runtime" == sdl12-compat ]] || XS_LIBDIR=""
  need_runtime "$runtime" "$XS_LIBDIR"
}

# Checks that the running toy has the SDL 1.2 of RUNTIME mapped: the classic
# library alone, or sdl12-compat from XS_LIBDIR with SDL 2 beneath it.
check_runtime_loaded() {
  local libs
  libs=$(xs_sdl_libraries)
  echo "SDL libraries mapped: $(echo "$libs" | tr '\n' ' ')"
  if [[ "$1" == sdl12-compat ]]; then
    check "sdl12-compat is loaded" "$(grep -c "^$XS_LIBDIR/libSDL-1.2.so" <<<"$libs" || true)" 1
    check "SDL 2 is loaded beneath it" "$(grep -c 'libSDL2-2.0.so' <<<"$libs" || true)" 1
  else
    check "the classic SDL 1.2 is loaded" "$(grep -c 'libSDL-1.2.so' <<<"$libs" || true)" 1
    check "no SDL 2 is loaded" "$(grep -c 'libSDL2' <<<"$libs" || true)" 0
  fi
}

# Makes XS_WORK, a scratch directory named after $1, and ends the session
# on exit: kept with its pictures and logs when a check failed.
start_session() {
  XS_WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavelond-$1.XXXXXX")
  trap end_session EXIT
}
end_session() {
  xs_cleanup
  if ((failures == 0)); then
    rm -rf "$XS_WORK"
  else
    echo "pictures and logs kept in $XS_WORK"
  fi
}

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

# --- The scene, in picture pixels with the view at (0, 0)
readonly grey=(64 64 64) orange=(206 101 0) red=(240 0 0)
# Anchors at rest: x, and the terrain height there (414.4, 458.5, 365.4,
# 380.4) cut to whole pixels.
readonly anchors=("128 414" "256 458" "384 365" "512 380")
# Two anchors are picked, then the free spot is clicked. The new joint hangs
# where gravity balances its springs (rest lengths 72.7 and 96, the cap) at
# about (194.2, 386.8), drawn at (194, 386).
readonly spot="192 380" hanging_x=194 hanging_y=386
readonly joint_box="150 330 240 420" # holds the new joint, no anchor
readonly disc_area_min=420 disc_area_max=500 # a disc of radius 12: pi * 144 = 452; 11 gives 380, 13 gives 531
readonly core_area_min=230 core_area_max=290 # the core, radius 9: 254; 8 gives 201, 10 gives 314
# The pan: a drag by (+60, -42) that starts on empty sky.
readonly pan_from="400 200" pan_x=60 pan_y=-42

# Builds one joint: clicks the first two anchors, then the free spot. The
# window shows the picture enlarged SCALE times.
build_joint() {
  local scale=$1 p x y
  for p in "${anchors[0]}" "${anchors[1]}" "$spot"; do
    read -r x y <<<"$p"
    xs_click $((x * scale)) $((y * scale))
  done
}

# The four anchors in picture SHOT: orange cores of the right size, red rims.
check_anchors() {
  local shot=$1 a x y n
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
}

# The joint build_joint made, in picture SHOT: a whole disc where it hangs.
# Leaves its centre in jx, jy.
check_new_joint() {
  local n
  # shellcheck disable=SC2086
  read -r n jx jy <<<"$(probe blob "$1" "${orange[@]}" $joint_box)"
  check_range "new joint: a whole orange disc" "$n" "$disc_area_min" "$disc_area_max"
  check_near "new joint hangs at x" "$jx" "$hanging_x" 1.5
  check_near "new joint hangs at y" "$jy" "$hanging_y" 1.5
}
