#!/usr/bin/env bash
# The browser build in headless Chromium against the desktop build in a real
# X window: the same clicks must give the same pictures, pixel for pixel.
#
#   end-to-end.sh TOY BMP_PROBE
#
# TOY is the desktop program. It is run under Xvfb (tests/window/xsession.sh)
# for its own pictures: the picture before any click, the settled picture
# after two anchors and a free spot are clicked, and the picture after a
# pan. Then scripts/web.sh build makes the browser build, which is served on
# 127.0.0.1 and driven by puppeteer-core (tests/web/end-to-end.mjs).
#
# Exit 0 on success, 1 on a failed check, 77 (a skip) when a tool is missing
# outside CI. In CI a missing tool fails.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
XS_TOY=$(realpath "$1")
XS_PROBE=$(realpath "$2")
# shellcheck source=tests/window/xsession.sh
source "$root/tests/window/xsession.sh"
# shellcheck source=tests/window/checks.sh
source "$root/tests/window/checks.sh"

command -v Xvfb >/dev/null || unavailable "Xvfb is not installed"
command -v xdotool >/dev/null || unavailable "xdotool is not installed"
command -v emcmake >/dev/null || unavailable "emscripten is not installed"
command -v node >/dev/null || unavailable "node is not installed"
[[ -x "${TAVELOND_CHROMIUM:-/usr/bin/chromium}" ]] || unavailable "chromium is not installed"
[[ -d "$here/node_modules/puppeteer-core" ]] || unavailable "puppeteer-core is not installed in tests/web"

start_session web-e2e

# --- the desktop build's pictures, with the clicks of the window test
need xs_start_display
need xs_start_toy
need xs_shoot_settled "$XS_WORK/desktop-first.bmp"
build_joint 1
need xs_shoot_settled "$XS_WORK/desktop-settled.bmp"
# shellcheck disable=SC2086
xs_drag $pan_from $pan_x $pan_y
need xs_shoot_settled "$XS_WORK/desktop-panned.bmp"
need xs_quit
xs_cleanup
echo "desktop pictures made"

# --- the browser build
start=$(date +%s)
"$root/scripts/web.sh" build >"$XS_WORK/web-build.log" 2>&1 || {
  tail -n 40 "$XS_WORK/web-build.log"
  fail "the web build"
  exit 1
}
echo "web build up to date in $(($(date +%s) - start)) s"
# Emscripten's stand-ins that throw and stop the page must not be linked:
# the program's own definitions (src/web/SdlShim.cpp) take their place.
if grep -o "throw '[A-Za-z_]*:\? *TODO'" "$root/build-web/tavelond.js"; then
  fail "the page links SDL functions that throw"
  exit 1
fi
pass "no SDL function that throws 'TODO' is linked"

node "$here/end-to-end.mjs" "$root/build-web" "$XS_WORK" || fail "the browser's checks"
((failures == 0))
