#!/usr/bin/env bash
# Installs the Debian packages that are missing for playing ("play"), for
# building and running the test suite ("test") or for the browser build
# ("web"); "test" also installs the browser test's npm packages. Uses sudo
# unless run as root.
set -euo pipefail

play=(build-essential cmake pkg-config libsdl1.2-dev libsdl-gfx1.2-dev)
test=("${play[@]}" googletest libgtest-dev libbenchmark-dev xvfb xdotool)
# The real-window test also runs the program on sdl12-compat (SDL 1.2 on SDL 2).
test+=(libsdl1.2-compat)
# ... and under a window manager, read back from the X screen: openbox, xprop
# and xwininfo (x11-utils), import, convert and compare (imagemagick).
test+=(openbox x11-utils imagemagick)
# Desktop integration and lint: install test, icon, manual page, clang tools.
test+=(desktop-file-utils libpng-dev man-db groff-base bsdextrautils clang-format clang-tidy)
# The Debian package: cpack's shlibdeps (dpkg-dev, file), lintian, AppStream.
test+=(dpkg-dev file lintian appstream)
# The browser build (scripts/web.sh), and its test in Chromium.
web=(cmake git python3 emscripten)
test+=(emscripten chromium)

case "${1:-play}" in
  play) wanted=("${play[@]}") ;;
  test) wanted=("${test[@]}") ;;
  web) wanted=("${web[@]}") ;;
  *) echo "usage: $0 [play|test|web]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
# Node and npm may come from elsewhere than Debian (nodesource): asked for by
# command, not by package.
if [ "${1:-play}" = test ] && ! command -v npm >/dev/null; then missing+=(nodejs npm); fi

if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The browser test's npm packages, exactly as locked (puppeteer-core; it
# drives the system's Chromium and downloads no browser).
if [ "${1:-play}" = test ]; then
  packages=$(cd "$(dirname "$0")/../tests/web" && pwd)
  # npm ci leaves a copy of the lock inside node_modules: newer means done.
  if [ ! "$packages/node_modules/.package-lock.json" -nt "$packages/package-lock.json" ]; then
    (cd "$packages" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --ignore-scripts >/dev/null)
  fi
fi
