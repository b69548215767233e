# shellcheck shell=bash disable=SC2034 # the XS_ results are read by the sourcing scripts
# Drives the real toy in a private X server: sourced by the end-to-end test
# and by scripts/make-pictures.sh.
#
# The caller sets XS_TOY (the program), XS_PROBE (bmp-probe) and XS_WORK (an
# empty directory: the toy's working directory, where its screenshots land),
# and optionally XS_LIBDIR (a directory put first on LD_LIBRARY_PATH for the
# toy alone, to run it on another SDL 1.2 library), XS_TOY_ENV (an array of
# VAR=value for the toy alone) and XS_SCREEN (the X screen, WxHxDEPTH). Then:
#   xs_start_display; xs_start_toy; xs_click 128 414; xs_shoot a.bmp; xs_quit
# and xs_cleanup from an EXIT trap. xs_start_wm, after the display, runs the
# toy under a window manager (openbox) instead of none.
#
# The toy reads the mouse as state once per 16 ms frame, so every step below
# holds its state for several frames: a press shorter than a frame, or a move
# that lands in the same frame as a press, would be seen differently.

XS_STEP=${XS_STEP:-0.2}      # seconds each input state is held (about 12 frames)
XS_TIMEOUT=${XS_TIMEOUT:-10} # seconds to wait for the server, the window, a file or an exit
XS_SCREEN=${XS_SCREEN:-1024x768x24} # larger than the window, so a centred window is not clipped

XS_XVFB_PID=""
XS_WM_PID=""
XS_TOY_PID=""
XS_WID=""
XS_STATUS="" # exit status of the toy, once xs_wait_toy has seen it end

xs_fail() {
  echo "xsession: $*" >&2
  return 1
}

# Starts Xvfb on a display number that the server picks itself, so parallel
# runs never share a display; exports DISPLAY.
xs_start_display() {
  local numberFile="$XS_WORK/.display" i
  : >"$numberFile"
  Xvfb -displayfd 3 -screen 0 "$XS_SCREEN" -noreset -nolisten tcp 3>"$numberFile" 2>"$XS_WORK/xvfb.log" &
  XS_XVFB_PID=$!
  for ((i = 0; i < XS_TIMEOUT * 20; i++)); do
    if [[ -s "$numberFile" ]]; then
      DISPLAY=":$(tr -d '\n' <"$numberFile")"
      export DISPLAY
      return 0
    fi
    kill -0 "$XS_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  cat "$XS_WORK/xvfb.log" >&2
  xs_fail "Xvfb did not start"
}

# Starts openbox on the display and waits until it manages the screen (it
# names itself on the root window).
xs_start_wm() {
  local i
  openbox --sm-disable >"$XS_WORK/wm.log" 2>&1 &
  XS_WM_PID=$!
  for ((i = 0; i < XS_TIMEOUT * 20; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$XS_WM_PID" 2>/dev/null || break
    sleep 0.05
  done
  cat "$XS_WORK/wm.log" >&2
  xs_fail "openbox did not start"
}

# Starts the toy in XS_WORK and waits for its window, captioned "Tavelond",
# leaving its id in XS_WID.
xs_start_toy() {
  local env=(${XS_TOY_ENV[@]+"${XS_TOY_ENV[@]}"})
  [[ -z "${XS_LIBDIR:-}" ]] || env+=("LD_LIBRARY_PATH=$XS_LIBDIR${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}")
  (cd "$XS_WORK" && exec env "${env[@]}" "$XS_TOY") >"$XS_WORK/toy.out" 2>"$XS_WORK/toy.err" &
  XS_TOY_PID=$!
  # The window is found by its caption; the name is matched whole.
  XS_WID=$(timeout "$XS_TIMEOUT" xdotool search --sync --onlyvisible --name '^Tavelond$' | head -n 1) || {
    echo "visible windows and their names:" >&2
    local w
    for w in $(xdotool search --onlyvisible --name '.*'); do echo "  $w '$(xdotool getwindowname "$w")'" >&2; done
    xs_fail "no window captioned 'Tavelond' appeared within ${XS_TIMEOUT}s"
    return 1
  }
  # Keys go to the window under the pointer; park the pointer inside it.
  xdotool mousemove --window "$XS_WID" 320 40
  sleep "$XS_STEP"
}

# Prints the window's size as WxH.
xs_size() { xdotool getwindowgeometry "$XS_WID" | sed -n 's/^ *Geometry: *//p'; }

# The window's ICCCM state as its window manager set it: Normal, Iconic or
# Withdrawn; nothing when the window has none.
xs_wm_state() { xprop -id "$XS_WID" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: *//p'; }

# The window's map state: IsViewable, IsUnMapped or IsUnviewable.
xs_map_state() { xwininfo -id "$XS_WID" | sed -n 's/^ *Map State: *//p'; }

# Runs the command (a function and its arguments) until it prints $1, at
# most XS_TIMEOUT seconds, and prints what it printed last.
xs_await() {
  local want=$1 got="" i
  shift
  for ((i = 0; i < XS_TIMEOUT * 10; i++)); do
    got=$("$@")
    [[ "$got" == "$want" ]] && break
    sleep 0.1
  done
  echo "$got"
}

# Saves what the X screen shows, all of it, or of the toy's window with
# `window`, as the PNG file $1.
xs_grab() {
  local what=root
  [[ "${2:-}" != window ]] || what=$XS_WID
  import -window "$what" "png:$1"
}

# The SDL libraries the running toy has mapped, one path a line.
xs_sdl_libraries() { awk '$6 ~ /libSDL/ { print $6 }' "/proc/$XS_TOY_PID/maps" | sort -u; }

# Moves the pointer to window pixel (x, y) with no button held.
xs_move() {
  xdotool mousemove --window "$XS_WID" "$1" "$2"
  sleep "$XS_STEP"
}

# Clicks button $3 (default 1, the left one) at window pixel (x, y).
xs_click() {
  xs_move "$1" "$2"
  xdotool mousedown "${3:-1}"
  sleep "$XS_STEP"
  xdotool mouseup "${3:-1}"
  sleep "$XS_STEP"
}

# Drags with the left button from (x, y) by (dx, dy) in `steps` moves. The
# last move is held before the release, so the whole motion is seen while the
# button is down.
xs_drag() {
  local x=$1 y=$2 dx=$3 dy=$4 steps=${5:-8} i
  xs_move "$x" "$y"
  xdotool mousedown 1
  sleep "$XS_STEP"
  for ((i = 1; i <= steps; i++)); do
    xdotool mousemove --window "$XS_WID" $((x + dx * i / steps)) $((y + dy * i / steps))
    sleep 0.03
  done
  sleep "$XS_STEP"
  xdotool mouseup 1
  sleep "$XS_STEP"
}

xs_key() {
  xdotool key "$1"
  sleep "$XS_STEP"
}

# Presses F12 and moves the finished screenshot to $1.
xs_shoot() {
  local out=$1 shot="$XS_WORK/screenshot.bmp" i
  rm -f "$shot"
  xdotool key F12
  for ((i = 0; i < XS_TIMEOUT * 50; i++)); do
    # The probe reads the whole file, so a half-written one is not taken.
    if [[ -s "$shot" ]] && "$XS_PROBE" size "$shot" >/dev/null 2>&1; then
      mv "$shot" "$out"
      return 0
    fi
    sleep 0.02
  done
  xs_fail "F12 wrote no complete screenshot.bmp within ${XS_TIMEOUT}s"
}

# Shoots every half second until two pictures in a row are the same, and
# leaves the last one in $1: the structure has come to rest.
xs_shoot_settled() {
  local out=$1 previous="$XS_WORK/.previous.bmp" i
  xs_shoot "$previous" || return 1
  for ((i = 0; i < XS_TIMEOUT * 2; i++)); do
    sleep 0.5
    xs_shoot "$out" || return 1
    cmp -s "$out" "$previous" && return 0
    mv "$out" "$previous"
  done
  mv "$previous" "$out"
  xs_fail "the picture was still changing after ${XS_TIMEOUT}s"
}

# Is the toy still running? A zombie counts as ended.
xs_toy_running() {
  local state
  state=$(awk '{ print $3 }' "/proc/$XS_TOY_PID/stat" 2>/dev/null) || return 1
  [[ "$state" != Z ]]
}

# Waits up to XS_TIMEOUT for the toy to end and leaves its exit status in
# XS_STATUS; a toy that does not end is killed and reported.
xs_wait_toy() {
  local i
  for ((i = 0; i < XS_TIMEOUT * 20; i++)); do
    xs_toy_running || break
    sleep 0.05
  done
  if xs_toy_running; then
    kill "$XS_TOY_PID"
    wait "$XS_TOY_PID" 2>/dev/null || true
    XS_TOY_PID=""
    xs_fail "the toy did not end within ${XS_TIMEOUT}s"
    return 1
  fi
  XS_STATUS=0
  wait "$XS_TOY_PID" || XS_STATUS=$?
  XS_TOY_PID=""
}

# Presses Escape and waits for the toy to end.
xs_quit() {
  xdotool key Escape
  xs_wait_toy
}

# Ends what this session started, by process id.
xs_cleanup() {
  if [[ -n "$XS_TOY_PID" ]]; then
    kill "$XS_TOY_PID" 2>/dev/null || true
    wait "$XS_TOY_PID" 2>/dev/null || true
  fi
  if [[ -n "$XS_WM_PID" ]]; then
    kill "$XS_WM_PID" 2>/dev/null || true
    wait "$XS_WM_PID" 2>/dev/null || true
  fi
  if [[ -n "$XS_XVFB_PID" ]]; then
    kill "$XS_XVFB_PID" 2>/dev/null || true
    wait "$XS_XVFB_PID" 2>/dev/null || true
  fi
  XS_TOY_PID=""
  XS_XVFB_PID=""
  XS_WM_PID=""
}
