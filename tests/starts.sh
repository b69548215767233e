# shellcheck shell=bash
# Sourced by the install and package tests, which define `ok` and `fail`:
# checks that an installed program starts as its users are told.
#
#   check_starts LABEL DIR PROGRAM [VAR=value...]
#
# Runs PROGRAM in DIR (its output lands there too) with the variables set.
# With no such video driver it must end with status 1 and the one error line;
# with the dummy driver it must still be playing after 2 s, printing nothing.
check_starts() {
  local label=$1 dir=$2 bin=$3 status
  shift 3

  status=0
  (cd "$dir" && env "$@" SDL_VIDEODRIVER=bogus "$bin" >"$dir/out" 2>"$dir/err") || status=$?
  if [ "$status" = 1 ] && [ "$(cat "$dir/out")" = "Error: Couldn't initialize SDL" ] &&
    [ "$(tail -c1 "$dir/out" | od -An -c | tr -d ' ')" = '\n' ]; then
    ok "$label: bogus video driver -> status 1, one error line"
  else
    fail "$label: bogus video driver -> status $status, stdout '$(cat "$dir/out")'"
  fi

  status=0
  (cd "$dir" && env "$@" SDL_VIDEODRIVER=dummy timeout 2 "$bin" >"$dir/out" 2>"$dir/err") || status=$?
  if [ "$status" = 124 ] && [ ! -s "$dir/out" ]; then
    ok "$label: dummy video driver -> running after 2 s, nothing on stdout"
  else
    fail "$label: dummy video driver -> status $status, stdout '$(cat "$dir/out")'"
  fi
}
