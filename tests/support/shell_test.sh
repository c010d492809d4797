# What the shell tests share. Source it after `set -u`:
#   . "$(dirname "$0")/../support/shell_test.sh"
# It makes $work, a scratch folder removed when the test exits (the test decides whether to cd
# into it), counts failures, and checks command lines the way every program here answers them.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# usage_error NAMED COMMAND...: exit 2, NAMED in the first line on stderr, the usage right
# after it, nothing on stdout. Writes ./stdout and ./stderr.
usage_error() {
  local named=$1; shift
  "$@" >stdout 2>stderr
  local status=$?
  if [ $status -ne 2 ] || ! head -n 1 stderr | grep -qF -- "$named" ||
     ! sed -n 2p stderr | grep -q '^usage: ' || [ -s stdout ]; then
    fail "${*##*/} -> exit $status, expected 2 naming $named; stderr: $(head -n 1 stderr)"
  fi
}

# finish MESSAGE: exit 1 after any failure, else print MESSAGE.
finish() {
  [ $failures -eq 0 ] || exit 1
  echo "$1"
}
