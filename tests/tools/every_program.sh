#!/usr/bin/env bash
# The command-line conventions, held for every program alike: --help prints the usage on
# stdout and exits 0; --version prints "NAME VERSION" and exits 0, even after an operand; a
# wrong argument exits 2 with one line naming the program and the argument, at most one more
# pointing to --help. None of them may write a file, or need a display, to say so: each runs in
# a fresh empty folder with no display, which must still be empty afterwards. The asset makers,
# which take only operands, also refuse a wrong count of them and an option in their place.
# usage: every_program.sh VERSION PROGRAM...
set -u
version=$1; shift
. "$(dirname "$0")/../support/shell_test.sh"
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER

# exits STATUS COMMAND...: runs COMMAND, keeping $work/stdout and $work/stderr.
exits() {
  local expected=$1; shift
  "$@" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  [ $status -eq "$expected" ] || fail "${*##*/} -> exit $status, expected $expected; stderr: $(head -n 3 "$work/stderr")"
}

# prints_version NAME: stdout is exactly "NAME VERSION".
prints_version() {
  [ "$(cat "$work/stdout")" = "$1 $version" ] || fail "$1 --version printed: $(head -n 2 "$work/stdout")"
}

for program in "$@"; do
  name=${program##*/}
  here=$(mktemp -d "$work/$name.XXXXXX") && cd "$here" || exit 1
  exits 0 "$program" --help
  head -n 1 "$work/stdout" | grep -q "^usage: $name " || fail "$name --help does not print the usage"
  [ -s "$work/stderr" ] && fail "$name --help wrote to stderr: $(head -n 2 "$work/stderr")"
  exits 0 "$program" --version
  prints_version "$name"
  exits 0 "$program" out --version
  prints_version "$name"
  usage_error --no-such-option "$program" --no-such-option out
  [ -z "$(ls -A)" ] || fail "$name made files for --help, --version or a wrong argument: $(ls -A)"

  case $name in
  make-pictures | make_objects | make_soundtrack)
    usage_error missing "$program"
    usage_error unexpected "$program" a b c
    usage_error -odd "$program" -odd
    usage_error empty "$program" ''
    [ -z "$(ls -A)" ] || fail "$name made files for a wrong command line: $(ls -A)"
    ;;
  esac
  if [ "$name" = make_objects ]; then  # the quick one: after "--" a name starting with '-' is an operand
    mkdir ./-odd && exits 0 "$program" -- -odd
    [ -f ./-odd/tube.lwo ] && [ -f ./-odd/knot.lwo ] || fail "make_objects -- -odd wrote no objects there"
  fi
  cd "$work" && rm -rf "$here"
done

finish "every program answers its command line alike"
