# Scene text for the shell tests that write scenes of their own. Source it, after `set -u`,
# instead of shell_test.sh, which it brings along:
#   . "$(dirname "$0")/../support/scene_text.sh"
. "$(dirname "${BASH_SOURCE[0]}")/shell_test.sh"

# scene_head VERSION FIRST LAST PER_SECOND: a scene's opening lines.
scene_head() {
  printf 'LWSC\n%s\nFirstFrame %s\nLastFrame %s\nFramesPerSecond %s\n' "$1" "$2" "$3" "$4"
}

# envelope CHANNEL BEHAVIOURS KEY...: one channel's envelope block as a version 3 or later scene
# writes it, a "Key" line for each KEY (its nine numbers) and "Behaviors" last, left out where
# BEHAVIOURS is "-".
envelope() {
  local channel=$1 behaviours=$2
  shift 2
  printf 'Channel %s\n{ Envelope\n  %d\n' "$channel" $#
  printf '  Key %s\n' "$@"
  [ "$behaviours" = - ] || printf '  Behaviors %s\n' "$behaviours"
  printf '}\n'
}
