# What the shell tests share. Source it after `set -u`:
#   . "$(dirname "$0")/../support/shell_test.sh"
# It makes $work, a scratch folder removed when the test exits (the test decides whether to cd
# into it), counts failures, and checks command lines the way every program here answers them.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# usage_error NAMED COMMAND...: exit 2, nothing on stdout, and on stderr one line
# "PROGRAM: ..." naming NAMED, then at most a line pointing to --help (never the whole usage,
# which would bury it). Writes $work/stdout and $work/stderr, so it can run in any folder.
usage_error() {
  local named=$1; shift
  local program=${1##*/}
  "$@" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  local first second lines
  first=$(sed -n 1p "$work/stderr") second=$(sed -n 2p "$work/stderr") lines=$(wc -l <"$work/stderr")
  if [ $status -ne 2 ] || [ "${first#"$program: "}" = "$first" ] || [ "${first#*"$named"}" = "$first" ] ||
     [ "$lines" -gt 2 ] || { [ "$lines" -eq 2 ] && [ "${second#*--help}" = "$second" ]; } ||
     [ -s "$work/stdout" ]; then
    fail "${*##*/} -> exit $status, expected 2 and one line naming $named; stderr: $(head -n 3 "$work/stderr")"
  fi
}

# finish MESSAGE: exit 1 after any failure, else print MESSAGE.
finish() {
  [ $failures -eq 0 ] || exit 1
  echo "$1"
}
