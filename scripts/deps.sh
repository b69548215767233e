#!/usr/bin/env bash
# Installs the Debian packages that are missing for playing ("play") or for
# building and running the test suite ("test"). Uses sudo unless run as root.
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

case "${1:-play}" in
  play) wanted=("${play[@]}") ;;
  test) wanted=("${test[@]}") ;;
  *) echo "usage: $0 [play|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
