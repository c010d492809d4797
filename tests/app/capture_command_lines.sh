#!/usr/bin/env bash
# demo-capture's command line as a user types it: --help and --version exit 0; a wrong value,
# an unknown option or a target that cannot be written exits 2 with one line naming the flag,
# then the usage, before anything is rendered or made.
# usage: capture_command_lines.sh DEMO_CAPTURE VERSION
set -u
capture=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$capture" --help >stdout 2>stderr || fail "--help exits $?"
head -n 1 stdout | grep -q '^usage: demo-capture ' || fail "--help does not print the usage"
[ "$("$capture" --null --version)" = "demo-capture $version" ] || fail "--version"

# usage_error NAMED ARGS...
usage_error() {
  local named=$1
  shift
  "$capture" "$@" >stdout 2>stderr
  local status=$?
  if [ $status -ne 2 ] || ! head -n 1 stderr | grep -qF -- "$named" || ! sed -n 2p stderr | grep -q '^usage: ' ||
     [ -s stdout ]; then
    fail "$* -> exit $status, expected 2 naming $named; stderr: $(head -n 1 stderr)"
  fi
}

usage_error --to --to 1e300 --null
usage_error --bogus --bogus --null
usage_error --size --size 19x20x --null
usage_error --fps --png "$work/new" --fps 0
[ -e "$work/new" ] && fail "a folder was made for a command line that was refused"
touch file
usage_error --png --png file/frames
usage_error --video --video "$work/none/v.mp4"

[ $failures -eq 0 ] || exit 1
echo "command lines as expected"
