#!/usr/bin/env bash
# The browser build.
#
#   scripts/web.sh build   installs what is missing (emscripten) and builds
#                          build-web/tavelond.html with its .js and .wasm
#   scripts/web.sh         the same, then serves build-web/ on
#                          http://127.0.0.1:8000/ until interrupted
#
# TAVELOND_SDL_GFX_SOURCE=/path/to/SDL_gfx-2.0.27.tar.gz builds SDL_gfx from
# that file (its SHA-256 is checked) instead of fetching the upstream
# repository. TAVELOND_WEB_PORT changes the port.
set -euo pipefail
# A relative path names a file from where the script was started.
if [ -n "${TAVELOND_SDL_GFX_SOURCE:-}" ]; then
  TAVELOND_SDL_GFX_SOURCE=$(realpath -m "$TAVELOND_SDL_GFX_SOURCE")
  export TAVELOND_SDL_GFX_SOURCE
fi
cd "$(dirname "$0")/.."

readonly out=build-web
port=${TAVELOND_WEB_PORT:-8000}

build() {
  scripts/deps.sh web
  # Debian's emscripten runs its tools on the system's node, which must find
  # the JavaScript modules Debian ships.
  export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
  emcmake cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DTAVELOND_TESTS=OFF -DTAVELOND_BENCH=OFF >/dev/null
  cmake --build "$out" -j2 --target tavelond
}

case "${1:-serve}" in
  build) build ;;
  serve)
    build
    echo "Tavelond: http://127.0.0.1:$port/ (Ctrl+C stops the server)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out"
    ;;
  *) echo "usage: $0 [build]" >&2; exit 2 ;;
esac
