# Scene text for the shell tests that write scenes of their own. Source it after shell_test.sh.

# envelope CHANNEL BEHAVIOURS KEY...: one channel's envelope block as a version 3 or later scene
# writes it, a "Key" line for each KEY (its nine numbers) and "Behaviors" last.
envelope() {
  local channel=$1 behaviours=$2
  shift 2
  printf 'Channel %s\n{ Envelope\n  %d\n' "$channel" $#
  printf '  Key %s\n' "$@"
  printf '  Behaviors %s\n}\n' "$behaviours"
}
