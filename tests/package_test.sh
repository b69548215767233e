#!/usr/bin/env bash
# Makes the Debian package from the build with cpack and checks it as Debian
# would: lintian, the layout, the dependencies, copyright and changelog. Then
# installs it with apt-get, runs the installed game, and purges it again,
# leaving the system as it found it. Installing into /usr needs root.
#
#   package_test.sh BUILD_DIR SOURCE_DIR CPACK
set -euo pipefail
trap 'echo "FAIL: stopped at line $LINENO: $BASH_COMMAND"' ERR

build=$(realpath "$1") src=$(realpath "$2") cpack=$3
pkg=tavelond

# Outside CI a missing tool or a machine this test must not change skips it
# (77); CI must run it, so there it fails.
skip() {
  if [ "${CI:-}" = true ]; then echo "FAIL: $* (CI must run this test)"; exit 1; fi
  echo "SKIP: $*"
  exit 77
}
[ "$(id -u)" -eq 0 ] || skip "not root: the test installs the package into /usr"
for tool in "$cpack" dpkg-deb dpkg-parsechangelog dpkg-shlibdeps lintian apt-get readelf ldd gzip; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

# One run at a time on this machine, also across build trees.
exec 9>/run/lock/tavelond-package-test
flock -w 120 9 || skip "another package test holds /run/lock/tavelond-package-test"

status_of() { dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || echo not-installed; }
# A tavelond installed before the test is the user's: leave it alone.
[ "$(status_of)" = not-installed ] || skip "package $pkg is installed ($(status_of)); the test would remove it"
[ ! -e /usr/games/$pkg ] || skip "/usr/games/$pkg exists outside any package"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
# shellcheck source=tests/starts.sh
source "$(dirname "$0")/starts.sh"
started=$EPOCHREALTIME
lap() { awk -v from="$started" -v to="$EPOCHREALTIME" 'BEGIN { printf "%.1f s", to - from }'; }

# apt's download user must be able to read the .deb, hence 0755.
tmp=$(mktemp -d)
chmod 755 "$tmp"
ours=false
# Purges what this test installed, also when it stops on an error.
cleanup() {
  if $ours && [ "$(status_of)" != not-installed ]; then
    echo "cleanup: purging $pkg"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=120 "$pkg" >/dev/null ||
      dpkg --purge "$pkg"
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap "exit 130" INT
trap "exit 143" TERM

# --- Make the package ------------------------------------------------------------
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
debs=("$tmp"/pkg/*.deb)
deb=$tmp/pkg/${pkg}_${version}_$arch.deb
if [ ${#debs[@]} != 1 ] || [ "${debs[0]}" != "$deb" ]; then
  echo "FAIL: cpack made '${debs[*]}', wanted $(basename "$deb")"
  exit 1
fi
ok "cpack -G DEB: $(basename "$deb"), $(stat -c %s "$deb") bytes ($(lap))"

# --- Control fields --------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
for pair in "Package=$pkg" "Version=$version" "Architecture=$arch" Section=games Priority=optional; do
  [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*}: '$(field "${pair%%=*}")', wanted '${pair#*=}'"
done
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/games/$pkg

# --- Files -------------------------------------------------------------------------
appstream_id=$(sed -n 's|^ *<id>\(.*\)</id> *$|\1|p' "$src/data/tavelond.metainfo.xml")
expected=("usr/games/$pkg" "usr/share/applications/$pkg.desktop" "usr/share/man/man6/$pkg.6.gz"
  "usr/share/metainfo/$appstream_id.metainfo.xml" "usr/share/doc/$pkg/copyright" "usr/share/doc/$pkg/changelog.gz")
for dir in "$src"/data/icons/*/; do
  size=$(basename "$dir")
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$pkg.png")
done
want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
if [ "$want" = "$got" ]; then
  ok "packaged files: ${#expected[@]}"
else
  fail "packaged files differ from the expected list"
  diff <(echo "$want") <(echo "$got") || true
fi
owners=$(dpkg-deb -c "$deb" | awk '{ print $2 }' | sort -u)
[ "$owners" = root/root ] || fail "owners in the package: $owners"
[ -f "$bin" ] || { echo "FAIL: no program to check further"; exit 1; }

# Depends comes from dpkg-shlibdeps: every library the program links, as the
# package that ships it here, with the lowest version the program needs.
depends=$(field Depends)
needed=$(readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "the packaged program needs no library?"
for lib in $needed; do
  path=$(ldd "$bin" | awk -v l="$lib" '$1 == l { print $3 }')
  owner=$( (dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")") | head -n1 | cut -d: -f1)
  if [ -z "$owner" ]; then
    fail "$lib ($path) belongs to no package"
  elif [[ ", $depends," != *", $owner (>= "* ]]; then
    fail "$lib comes from $owner, which Depends lacks or names without a version: $depends"
  fi
done
ok "Depends: $depends"

# The program: this build's, stripped of symbols, debug information and the
# compiler's comment.
build_id() { readelf -n "$1" | sed -n 's/.*Build ID: //p'; }
if [ -z "$(build_id "$bin")" ] || [ "$(build_id "$bin")" != "$(build_id "$build/$pkg")" ]; then
  fail "the packaged program is not this build's (build id '$(build_id "$bin")')"
fi
sections=$(readelf -SW "$bin" | { grep -oE ' \.(symtab|debug_[a-z_]+|comment) ' || true; } | paste -sd' ' -)
[ -z "$sections" ] || fail "the packaged program is not stripped: $sections"

# Compressed files: the source's content, gzip without a name or time stamp.
gz_clean() { [ "$(od -An -tx1 -j3 -N5 "$1" | tr -d ' ')" = 0000000000 ]; }
for gz in usr/share/man/man6/$pkg.6.gz usr/share/doc/$pkg/changelog.gz; do
  gzip -t "$root/$gz" || fail "$gz is not a good gzip file"
  gz_clean "$root/$gz" || fail "$gz carries a file name or time stamp"
done
zcat "$root/usr/share/man/man6/$pkg.6.gz" | cmp -s - "$src/data/$pkg.6" ||
  fail "the packaged manual page is not data/$pkg.6"

# changelog.gz: Debian's format, its newest entry this version.
zcat "$root/usr/share/doc/$pkg/changelog.gz" >"$tmp/changelog"
if parsed=$(dpkg-parsechangelog -l "$tmp/changelog" 2>"$tmp/parse.err") && [ ! -s "$tmp/parse.err" ]; then
  entry() { sed -n "s/^$1: //p" <<<"$parsed"; }
  [ "$(entry Source)" = "$pkg" ] || fail "changelog is for '$(entry Source)'"
  [ "$(entry Version)" = "$version" ] || fail "changelog's newest entry is '$(entry Version)', the package '$version'"
  [ "$(entry Maintainer)" = "$(field Maintainer)" ] || fail "changelog signed by '$(entry Maintainer)'"
  ok "changelog: $(entry Source) $(entry Version), $(entry Date)"
else
  fail "dpkg-parsechangelog: $(cat "$tmp/parse.err")"
fi

# copyright: Debian's machine-readable format; the Files paragraphs name
# existing sources and licences given in full, the Zlib text is LICENSE's.
copyright=$root/usr/share/doc/$pkg/copyright
[ "$(head -n1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
  fail "copyright: not the machine-readable format: $(head -n1 "$copyright")"
# Paragraph by paragraph, each on one line, fields split by a tab.
paragraphs=$(awk 'BEGIN { RS = ""; FS = "\n" } { line = $1; for (i = 2; i <= NF; i++) line = line "\t" $i; print line }' \
  "$copyright")
holder=$(sed -n '1s/^Copyright (C) //p' "$src/LICENSE")
files_paragraphs=$(grep '^Files: ' <<<"$paragraphs" || true)
[ "$(grep -c . <<<"$files_paragraphs")" -ge 1 ] || fail "copyright: no Files paragraph"
grep -q "^Files: \*	Copyright: $holder	License: Zlib$" <<<"$files_paragraphs" ||
  fail "copyright: no 'Files: *' paragraph for '$holder' under Zlib"
while IFS=$'\t' read -r files copy licence; do
  read -ra patterns <<<"${files#Files: }"
  for pattern in "${patterns[@]}"; do
    [ "$pattern" = '*' ] || [ -e "$src/$pattern" ] || fail "copyright names $pattern, which is not in the sources"
  done
  [ "$copy" = "Copyright: $holder" ] || fail "copyright: '$copy' for $files"
  grep -q "^${licence}	" <<<"$paragraphs" || fail "copyright: no text for ${licence#License: } ($files)"
done <<<"$files_paragraphs"
grep '^License: Zlib	' <<<"$paragraphs" | cut -f2- | tr '\t' '\n' | sed 's/^ //; s/^\.$//' >"$tmp/zlib"
sed '1,2d' "$src/LICENSE" | cmp -s - "$tmp/zlib" || fail "copyright: the Zlib text is not LICENSE's"
ok "copyright checked"

# --- lintian: no error, no warning ----------------------------------------------
if lintian --fail-on error,warning --display-info --show-overrides "$deb" >"$tmp/lintian" 2>"$tmp/lintian.err" &&
  ! grep -q '^[EW]: ' "$tmp/lintian"; then
  ok "lintian: no error, no warning ($(lap))"
else
  fail "lintian:"
  cat "$tmp/lintian.err"
fi
sed 's/^/  lintian: /' "$tmp/lintian"

# --- Install, run, purge -------------------------------------------------------------
# Anything of ours on the system, to compare after the purge.
traces() { find /usr /etc /var/lib/dpkg/info -name "*$pkg*" 2>/dev/null | sort; }
before=$(traces)

ours=true
if ! (cd "$tmp/pkg" && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  -o DPkg::Lock::Timeout=120 "./$(basename "$deb")" >"$tmp/apt.log" 2>&1); then
  cat "$tmp/apt.log"
  echo "FAIL: apt-get install $deb"
  exit 1
fi
[ "$(status_of)" = installed ] || fail "after apt-get install: $(status_of)"
ok "apt-get install ./$(basename "$deb") ($(lap))"

game=/usr/games/$pkg
cmp -s "$game" "$bin" || fail "$game is not the packaged program"
# The menu entry runs a bare name; Debian's login PATH (the packaged entries
# of it, not /usr/local) must find it in /usr/games.
exec_key=$(sed -n 's/^Exec=//p' /usr/share/applications/$pkg.desktop)
login_path=$(sed -n 's/^ENV_PATH[[:space:]]*PATH=//p' /etc/login.defs | tr ':' '\n' | grep -v '^/usr/local' |
  paste -sd: -)
found=$(env -i PATH="$login_path" bash -c "command -v $exec_key" || true)
[ "$found" = "$game" ] || fail "Exec=$exec_key found as '$found' on $login_path"

mkdir "$tmp/run"
check_starts "installed $game" "$tmp/run" "$game"

if DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=120 "$pkg" >"$tmp/apt.log" 2>&1; then
  ok "apt-get purge $pkg ($(lap))"
else
  cat "$tmp/apt.log"
  fail "apt-get purge $pkg"
fi
[ "$(status_of)" = not-installed ] || fail "after the purge: $(status_of)"
after=$(traces)
[ "$before" = "$after" ] || { fail "the purge left traces"; diff <(echo "$before") <(echo "$after") || true; }

echo "$failures failure(s), $(lap) in all"
[ "$failures" -eq 0 ] || exit 1
