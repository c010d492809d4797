#!/usr/bin/env bash
# invitation-capture's command line as a user types it: a wrong value or a target that cannot
# be written exits 2 with one line naming the flag, before anything is rendered or made.
# (--help, --version and an unknown option: tests/tools/every_program.sh, for every program.)
# usage: capture_command_lines.sh DEMO_CAPTURE VERSION
set -u
capture=$1 version=$2
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1

[ "$("$capture" --null --version)" = "invitation-capture $version" ] || fail "--version after an option"

usage_error --to "$capture" --to 1e300 --null
usage_error --size "$capture" --size 19x20x --null
usage_error --fps "$capture" --png "$work/new" --fps 0
[ -e "$work/new" ] && fail "a folder was made for a command line that was refused"
touch file
usage_error --png "$capture" --png file/frames
usage_error --video "$capture" --video "$work/none/v.mp4"

finish "command lines as expected"
