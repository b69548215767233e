#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop user gets:
# the program, its menu entry, its icons, its manual page and the AppStream
# metadata software centres read, and that the installed program starts and
# reports a start-up failure as documented.
#
#   install_test.sh BUILD_DIR SOURCE_DIR PNG_PROBE MAKE_ICON
set -euo pipefail

build=$(realpath "$1") src=$(realpath "$2") probe=$(realpath "$3") make_icon=$(realpath "$4")
compat_dir=${TAVELOND_COMPAT_DIR:-/usr/lib/x86_64-linux-gnu/sdl12-compat}

# Outside CI a missing tool skips the test (77); CI must run it, so there it fails.
skip() {
  if [ "${CI:-}" = true ]; then echo "FAIL: $* (CI must run this test)"; exit 1; fi
  echo "SKIP: $*"
  exit 77
}
for tool in desktop-file-validate man groff col appstreamcli; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
# shellcheck source=tests/starts.sh
source "$(dirname "$0")/starts.sh"

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }

# --- Files: exactly these, nothing else ----------------------------------------
# AppStream metadata is installed under the component id it declares.
appstream_id=$(sed -n 's|^ *<id>\(.*\)</id> *$|\1|p' "$src/data/tavelond.metainfo.xml")
expected=(bin/tavelond share/applications/tavelond.desktop share/man/man6/tavelond.6
  "share/metainfo/$appstream_id.metainfo.xml")
sizes=()
for dir in "$src"/data/icons/*/; do
  size=$(basename "$dir")
  sizes+=("$size")
  expected+=("share/icons/hicolor/${size}x${size}/apps/tavelond.png")
done
[ ${#sizes[@]} -gt 0 ] || fail "no icons in $src/data/icons"

want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
if [ "$want" = "$got" ]; then
  ok "installed files: ${#expected[@]}"
else
  fail "installed files differ from the expected list"
  diff <(echo "$want") <(echo "$got") || true
fi
[ -x "$prefix/bin/tavelond" ] || fail "bin/tavelond is not executable"

# --- Desktop entry -------------------------------------------------------------
entry=$prefix/share/applications/tavelond.desktop
if out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ]; then
  ok "desktop-file-validate"
else
  fail "desktop-file-validate: $out"
fi
key() { sed -n "s/^$1=//p" "$entry"; }
[ -x "$prefix/bin/$(key Exec)" ] || fail "Exec=$(key Exec) is not a program in $prefix/bin"
[ "$(key Icon)" = tavelond ] || fail "Icon=$(key Icon), but the icons are installed as tavelond.png"
[[ ";$(key Categories)" == *";Game;"* ]] || fail "Categories=$(key Categories) lacks Game"
[ "$(key Terminal)" = false ] || fail "Terminal=$(key Terminal)"

# --- AppStream metadata ------------------------------------------------------------
# validate checks the file; validate-tree also that its name matches the id and
# that the desktop entry it launches is installed beside it. Either fails on a
# warning, and pedantic notes are not shown.
metainfo=$prefix/share/metainfo/$appstream_id.metainfo.xml
[ -n "$appstream_id" ] || fail "no <id> in data/tavelond.metainfo.xml"
for command in "validate --no-net $metainfo" "validate-tree --no-net $prefix"; do
  # shellcheck disable=SC2086 # the command is split into its words on purpose
  if out=$(appstreamcli $command 2>&1); then
    ok "appstreamcli ${command%% *}: $(tail -n1 <<<"$out")"
  else
    fail "appstreamcli $command: $out"
  fi
done
tag() { sed -n "s|^ *<$1[^>]*>\(.*\)</$1> *\$|\1|p" "$metainfo"; }
[ "$(tag launchable)" = tavelond.desktop ] || fail "metainfo launches '$(tag launchable)'"
[ "$(tag project_license)" = Zlib ] || fail "metainfo project_license '$(tag project_license)', LICENSE is Zlib"
[ "$(tag binary)" = "$(key Exec)" ] || fail "metainfo provides binary '$(tag binary)', the entry runs '$(key Exec)'"
grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "metainfo: no OARS 1.1 content rating"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
released=$(grep -o '<release version="[^"]*" date="[0-9-]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
if [ -z "$version" ] || [ "$released" != "$version" ]; then
  fail "metainfo's newest release is '$released', the project is '$version'"
fi

# --- Icons: real PNGs of their directory's size, matching their generator ----
for size in "${sizes[@]}"; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tavelond.png
  if ! info=$("$probe" "$icon"); then
    fail "icon $size: not a readable PNG"
    continue
  fi
  read -r dims type corner centre colours <<<"$info"
  [ "$dims" = "${size}x${size}" ] || fail "icon $size: is $dims"
  [ "$type" = rgba ] || fail "icon $size: colour type $type, wanted rgba"
  [ "$corner" = corner-alpha=0 ] || fail "icon $size: corner not transparent ($corner)"
  [ "$centre" = centre-alpha=255 ] || fail "icon $size: centre not opaque ($centre)"
  [ "${colours#colours=}" -ge 16 ] || fail "icon $size: only ${colours#colours=} colours"
  "$make_icon" "$size" "$tmp/fresh.png"
  "$probe" --same "$icon" "$tmp/fresh.png" || fail "icon $size: differs from what scripts/make-icon.cpp draws"
  ok "icon $size: $info"
done

# --- Manual page ---------------------------------------------------------------
page=$prefix/share/man/man6/tavelond.6
if warnings=$(groff -man -ww -z "$page" 2>&1) && [ -z "$warnings" ]; then
  ok "groff: no warnings"
else
  fail "groff: $warnings"
fi
# Wide enough that nothing is hyphenated, overstrikes removed.
MANWIDTH=200 MAN_KEEP_FORMATTING=0 man -l "$page" 2>/dev/null | col -bx >"$tmp/page.txt" || true
[ -s "$tmp/page.txt" ] || fail "man -l rendered nothing"
section() { awk -v h="$1" '/^[A-Z][A-Z ]+$/ { on = ($0 == h); next } on' "$tmp/page.txt"; }

for heading in NAME SYNOPSIS DESCRIPTION CONTROLS FILES "EXIT STATUS" DIAGNOSTICS; do
  grep -qx "$heading" "$tmp/page.txt" || fail "man page: no $heading section"
done
controls=$(section CONTROLS)
for control in Escape F5 F9 F10 F12 "Left click" "Right click" "Drag with the left button"; do
  grep -q "^ *$control\b" <<<"$controls" || fail "man page: control '$control' not under CONTROLS"
done
grep -q 'screenshot\.bmp' <<<"$(section FILES)" || fail "man page: screenshot.bmp not under FILES"
statuses=$(section "EXIT STATUS" | grep -oE '^ +[0-9]+\b' | tr -d ' ' | paste -sd, -)
[ "$statuses" = 0,1 ] || fail "man page: exit statuses are '$statuses', wanted 0,1"
for line in "Error: Couldn't initialize SDL" "Error: Couldn't set video mode to 640x480"; do
  grep -qF "$line" <<<"$(section DIAGNOSTICS)" || fail "man page: '$line' not under DIAGNOSTICS"
done
ok "man page checked"

# --- The installed program -------------------------------------------------------
bin=$prefix/bin/tavelond
if ldd "$bin" | grep -q 'not found'; then fail "unresolved libraries: $(ldd "$bin" | grep 'not found')"; fi

runtimes=(classic)
if [ -e "$compat_dir/libSDL-1.2.so.0" ]; then
  runtimes+=(sdl12-compat)
else
  if [ "${CI:-}" = true ]; then fail "no sdl12-compat in $compat_dir"; fi
  echo "note: no sdl12-compat in $compat_dir, classic library only"
fi
for runtime in "${runtimes[@]}"; do
  libpath=()
  [ "$runtime" = classic ] || libpath=(LD_LIBRARY_PATH="$compat_dir")
  check_starts "$runtime" "$tmp" "$bin" ${libpath[@]+"${libpath[@]}"}
done

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
