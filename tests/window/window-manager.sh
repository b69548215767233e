#!/usr/bin/env bash
# The real program under a real window manager (openbox) on a 1280x1024 X
# screen: F5 iconifies and the window comes back drawing as before, F9 covers
# the screen with the whole picture and gives the window back, clicks land
# after that, Escape ends with status 0. What the screen shows is compared
# pixel for pixel with the toy's own F12 pictures.
#
#   window-manager.sh TOY BMP_PROBE RUNTIME [LIBDIR]
#
# RUNTIME is "classic" or "sdl12-compat" (loaded from LIBDIR), as for
# end-to-end.sh. On sdl12-compat two more runs follow: full screen with the
# user's own SDL12COMPAT_SCALE_METHOD=linear, which must be honoured, and a
# window doubled by SDL12COMPAT_WINDOW_SCALING=2, where clicks must land.
# Exit 0 on success, 1 on a failed check, 77 when a tool or the runtime is
# missing outside CI.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
XS_SCREEN=1280x1024x24
# shellcheck source=tests/window/xsession.sh
source "$here/xsession.sh"
# shellcheck source=tests/window/checks.sh
source "$here/checks.sh"
take_window_args "$@"

for tool in Xvfb xdotool openbox xprop xwininfo import convert compare; do
  command -v "$tool" >/dev/null || unavailable "$tool is not installed"
done

readonly screen_w=1280 screen_h=1024
# Full screen at 1280x1024: the classic library opens a screen-sized window
# with the picture centred as it is; sdl12-compat makes the toy's window full
# screen and enlarges the picture to fit, exactly twice at this size.
if [[ "$runtime" == classic ]]; then full_scale=1; else full_scale=2; fi
readonly smoothed_max=20000 # pixels: linear scaling of this picture changes 8,712

start_session wm

# Pixels that differ between two pictures of one size (a message when the
# sizes differ).
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

# Picture $1 enlarged exactly $2 times (each pixel a square of them) to $3.
enlarged() { convert "$1" -scale "$(($2 * 100))%" "png:$3"; }

# What full screen must show: picture $1 enlarged $2 times, centred on black.
full_screen_of() {
  convert -size "${screen_w}x${screen_h}" xc:black \( "$1" -scale "$(($2 * 100))%" \) \
    -gravity center -composite "png:$3"
}

# Pixels of the window (or, with `root`, of the whole screen) that differ from
# the PNG picture $1.
window_differs() {
  xs_grab "$XS_WORK/grab.png" "${2:-window}"
  differing "$XS_WORK/grab.png" "$1"
}
screen_differs() { window_differs "$1" root; }

# Shoots the picture to $1 and checks that the window shows it, enlarged $2
# times (default 1), once the toy has drawn a frame or two.
check_window_shows() {
  local shot=$1 scale=${2:-1} label=$3
  need xs_shoot "$shot"
  enlarged "$shot" "$scale" "$shot.png"
  check "$label: the window shows the F12 picture, pixel for pixel" "$(xs_await 0 window_differs "$shot.png")" 0
}

echo "runtime: $runtime${XS_LIBDIR:+ ($XS_LIBDIR)}, under openbox on $XS_SCREEN"
need xs_start_display
need xs_start_wm
need xs_start_toy

# --- the window as the window manager shows it
check_runtime_loaded "$runtime"
check "window size" "$(xs_size)" 640x480
check "the window manager manages it: WM_STATE" "$(xs_await Normal xs_wm_state)" Normal
check_window_shows "$XS_WORK/start.bmp" 1 "at start"
check_anchors "$XS_WORK/start.bmp"

# --- F5 iconifies; activating the window restores it
xs_key F5
check "F5: WM_STATE" "$(xs_await Iconic xs_wm_state)" Iconic
check "F5: the window is unmapped" "$(xs_await IsUnMapped xs_map_state)" IsUnMapped
# xdotool may grumble about a property sdl12-compat's window lacks; --sync
# still waits for the activation.
timeout "$XS_TIMEOUT" xdotool windowactivate --sync "$XS_WID" 2>/dev/null || true
check "restored: WM_STATE" "$(xs_await Normal xs_wm_state)" Normal
check "restored: the window is mapped" "$(xs_await IsViewable xs_map_state)" IsViewable
xs_move 320 40
check_window_shows "$XS_WORK/restored.bmp" 1 "restored"
check "restored: the picture is the one from before F5" "$(differing "$XS_WORK/restored.bmp" "$XS_WORK/start.bmp")" 0

# --- F9: full screen, the whole picture on the whole screen
xs_key F9
need xs_shoot "$XS_WORK/full.bmp"
check "full screen: the picture is the one from before" "$(differing "$XS_WORK/full.bmp" "$XS_WORK/start.bmp")" 0
full_screen_of "$XS_WORK/full.bmp" "$full_scale" "$XS_WORK/full-expected.png"
check "full screen: the screen is the picture enlarged ${full_scale}x, centred on black" \
  "$(xs_await 0 screen_differs "$XS_WORK/full-expected.png")" 0

# --- F9 again: the window as it was
xs_key F9
check "window again: size" "$(xs_await 640x480 xs_size)" 640x480
xs_move 320 40
check_window_shows "$XS_WORK/back.bmp" 1 "window again"
check "window again: the picture is intact" "$(differing "$XS_WORK/back.bmp" "$XS_WORK/start.bmp")" 0

# --- clicks land on the right joints after the two switches
build_joint 1
need xs_shoot_settled "$XS_WORK/built.bmp"
check_new_joint "$XS_WORK/built.bmp"
check_window_shows "$XS_WORK/built-now.bmp" 1 "built"

need xs_quit
check "Escape ends the program with status 0" "$XS_STATUS" 0
check "nothing on standard output" "$(cat "$XS_WORK/toy.out")" ""

if [[ "$runtime" == sdl12-compat ]]; then
  # --- the user's own scaling method is honoured: linear smooths the edges
  XS_TOY_ENV=(SDL12COMPAT_SCALE_METHOD=linear)
  need xs_start_toy
  xs_key F9
  need xs_shoot "$XS_WORK/linear.bmp"
  full_screen_of "$XS_WORK/linear.bmp" "$full_scale" "$XS_WORK/linear-expected.png"
  # Smoothing changes pixels on the picture's edges only, a few thousand; a
  # screen not showing the picture yet would differ almost everywhere.
  for ((i = 0; i < XS_TIMEOUT * 10; i++)); do
    n=$(screen_differs "$XS_WORK/linear-expected.png")
    [[ "$n" =~ ^[0-9]+$ ]] && ((n > 0 && n <= smoothed_max)) && break
    sleep 0.1
  done
  check_range "SDL12COMPAT_SCALE_METHOD=linear is honoured: screen pixels off an exact enlargement" \
    "$n" 1 "$smoothed_max"
  need xs_quit
  check "linear: Escape ends the program with status 0" "$XS_STATUS" 0

  # --- a doubled window for big screens: clicks land where the picture shows
  XS_TOY_ENV=(SDL12COMPAT_WINDOW_SCALING=2)
  need xs_start_toy
  check "SDL12COMPAT_WINDOW_SCALING=2: window size" "$(xs_size)" 1280x960
  build_joint 2
  need xs_shoot_settled "$XS_WORK/scaled.bmp"
  check "doubled window: picture size" "$(probe size "$XS_WORK/scaled.bmp")" "640 480"
  check_new_joint "$XS_WORK/scaled.bmp"
  check_window_shows "$XS_WORK/scaled-now.bmp" 2 "doubled window"
  need xs_quit
  check "doubled window: Escape ends the program with status 0" "$XS_STATUS" 0
fi

echo "$runtime under openbox: $failures check(s) failed"
((failures == 0))
