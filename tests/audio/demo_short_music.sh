#!/usr/bin/env bash
# The demo with music shorter than the show (the first 100 KB of the soundtrack, about 4 s),
# inside a virtual X server with silent audio, started near the end of the show: it plays
# on past the music to the show's own end and exits 1, having said once where the music
# ended, and with no word of a music that could not start.
# usage: demo_short_music.sh DEMO SOUNDTRACK
set -u
demo=$1 soundtrack=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

head -c 100000 "$soundtrack" > "$work/inv2.mp3"
cd "$work"
# The status comes back through a file: when it is not 0, xvfb-run may report a failure of its
# own clean-up instead. The show has 5.5 s to play after the wait that brings it to 170 s.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 800x600x24 -noreset" \
  bash -c 'timeout -s KILL 280 "$1" --start 170 --window 2> "$2"; echo $? > "$0"' \
  "$work/status" "$demo" "$work/stderr"
status=$(cat "$work/status" 2>/dev/null || echo none)
cat "$work/stderr" >&2
[ "$status" = 1 ] || { echo "expected exit 1 at the end of the show, got $status" >&2; exit 1; }
if grep -q "^music: .*inv2.mp3" "$work/stderr"; then
  echo "the music did not start" >&2; exit 1
fi
ended=$(grep -c "^music: the music ended at [0-9.]* s; the show goes on without it$" "$work/stderr")
[ "$ended" = 1 ] || { echo "expected one line saying where the music ended, got $ended" >&2; exit 1; }
exit 0
