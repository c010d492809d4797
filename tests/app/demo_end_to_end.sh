#!/usr/bin/env bash
# The demo binary, whole, inside a virtual X server with silent audio:
#   escape      Escape sent after 2 s of show -> exit 0
#   sigterm, sigint, sighup
#               that signal sent after 2 s of show -> exit 143, 130, 129, after the demo's own
#               shutdown (desktop put back first), which ends by saying "invitation: stopped by SIG..."
#   wait-escape, wait-sigterm
#               --start 170, its wait slowed to a millisecond a frame (INVITATION_TEST_SLOW_WAIT),
#               so that it takes seconds, as on an old machine: after 2 s of it the window shows a bar on
#               black; Escape then ends it with 0, SIGTERM with 143, both soon (a generous
#               deadline; a wait that looked at its messages only when done would miss it)
#   startup-failures
#               each start-up step made to fail (INVITATION_TEST_FAIL_AT), with --mode-switch:
#               that step's exit code, and the shutdown said it ran
#   no-music    started where there is no inv2.mp3 -> exit 1, one line on stderr, no frame
#   no-display  started with no display at all -> non-zero exit, one line on stderr
#   desktop     on a 1920x1080 screen: full screen at that size, the show letterboxed; Esc -> 0
#   window      --window 1024x768 on that screen: a window of that size; Esc -> 0
#   arguments   a bad value -> 2, one line naming the flag (and at most one pointing to --help)
# usage: demo_end_to_end.sh CASE DEMO SOUNDTRACK
# SOUNDTRACK "-": none is put beside the demo, which finds its own (an installed copy).
# DEMO_LOOK_DIR=DIR keeps a screenshot of each on-screen case there, for looking at.
set -u
case_name=$1 demo=$2 soundtrack=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

screen=800x600
run_in_xvfb() {  # command... ; runs with DISPLAY set, returns the command's status
  # Cases run in parallel: start the search for a free server number at one of our own, so two
  # cases do not race for the same one.
  # -noreset: by default the server resets whenever its last client leaves, and a probe by
  # xdotool that leaves just as the demo connects would make the demo find no display.
  # The status comes back through a file: when it is not 0, xvfb-run may report a failure of its
  # own clean-up instead.
  rm -f "$work/status"
  xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 ${screen}x24 -noreset" bash -c '"$@"; echo $? > "$0"' "$work/status" "$@"
  local xvfb_status=$?
  [ -s "$work/status" ] && return "$(cat "$work/status")"
  return $xvfb_status
}

# Starts the demo with the given arguments inside the virtual screen, waits for its window and
# 2 s of show, checks the window's size, takes a screenshot, then ends the show with $ending
# (Escape, or the name of a signal to send) and expects exit $expected_exit within
# $deadline_tenths tenths of a second. With $wait_bar set, the screen must show the bar of a
# late start's wait instead of a size check.
ending=Escape expected_exit=0 deadline_tenths=100 wait_bar=
play_and_end() {  # expected-window-size demo-arguments...
  local expected=$1 stop
  shift
  if [ "$ending" = Escape ]; then stop="xdotool mousemove 400 300 key Escape"; else stop="kill -s $ending \$pid"; fi
  [ "$soundtrack" = - ] || cp "$soundtrack" "$work/inv2.mp3"
  cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
cd "$work"
# A script's background job starts with SIGINT ignored, which the demo would respect.
env --default-signal=INT,TERM,HUP "$demo" $* 2> "$work/stderr" &
pid=\$!
for _ in \$(seq 1 300); do
  xdotool search --name "demo engine" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 2
if [ -n "$expected" ]; then
  id=\$(xdotool search --name "demo engine" | head -1)
  size=\$(xdotool getwindowgeometry "\$id" | sed -n 's/.*Geometry: //p')
  [ "\$size" = "$expected" ] || { echo "window is \$size, expected $expected" >&2; kill \$pid; exit 98; }
  if [ -n "\${DEMO_LOOK_DIR:-}" ]; then
    ffmpeg -v error -y -f x11grab -video_size $screen -i "\$DISPLAY" -frames:v 1 \
      "\$DEMO_LOOK_DIR/screen_${case_name}.png" || true
  fi
fi
if [ -n "$wait_bar" ]; then
  ffmpeg -v error -y -f x11grab -video_size $screen -i "\$DISPLAY" -frames:v 1 -f rawvideo -pix_fmt rgb24 \
    "$work/screen.rgb" || { echo "no screenshot" >&2; kill \$pid; exit 97; }
  [ -z "\${DEMO_LOOK_DIR:-}" ] || ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -video_size $screen \
    -i "$work/screen.rgb" "\$DEMO_LOOK_DIR/screen_${case_name}.png" || true
  green() { od -An -tu1 -j \$(( (\$2 * ${screen%x*} + \$1) * 3 + 1 )) -N1 "$work/screen.rgb" | tr -d ' '; }
  # The 800x600 screen's bar: 400 x 15 pixels from (200, 293), lit as far as the wait has got.
  corner=\$(green 5 5) lit=\$(green 202 300) unlit=\$(green 597 300)
  [ "\$corner" -lt 20 ] && [ "\$lit" -gt 200 ] && [ "\$unlit" -gt 30 ] && [ "\$unlit" -lt 100 ] ||
    { echo "no wait bar on the screen (corner \$corner, lit \$lit, unlit \$unlit)" >&2; kill \$pid; exit 96; }
fi
$stop
for _ in \$(seq 1 $deadline_tenths); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
if kill -0 \$pid 2>/dev/null; then echo "demo still running after $ending" >&2; kill -s KILL \$pid; exit 99; fi
wait \$pid
DRIVE
  chmod +x "$work/drive.sh"
  run_in_xvfb "$work/drive.sh"
  status=$?
  cat "$work/stderr" >&2
  [ $status -eq $expected_exit ] || { echo "expected exit $expected_exit after $ending, got $status" >&2; exit 1; }
  # Killed by the signal, the shell would show the same status: only the demo's own shutdown says this.
  if [ "$ending" != Escape ] && [ "$(tail -n 1 "$work/stderr")" != "invitation: stopped by $ending" ]; then
    echo "the demo did not shut itself down after $ending" >&2; exit 1
  fi
}

case $case_name in
escape)
  play_and_end ""
  ;;
sigterm | sigint | sighup)
  ending=$(tr a-z A-Z <<<"$case_name")
  expected_exit=$((128 + $(kill -l "$ending")))
  # Full screen, where putting the desktop back matters.
  play_and_end ""
  ;;
wait-escape | wait-sigterm)
  [ "$case_name" = wait-sigterm ] && ending=SIGTERM expected_exit=143
  wait_bar=1 deadline_tenths=30
  export INVITATION_TEST_SLOW_WAIT=1
  play_and_end "" --start 170
  ;;
startup-failures)
  cd "$work"
  cp "$soundtrack" "$work/inv2.mp3"
  # step:exit code:what the shutdown found
  for entry in "soundtrack:1:no window" "window:2:no window" "load:2:desktop" "music:1:desktop"; do
    IFS=: read -r step code found <<<"$entry"
    run_in_xvfb timeout 60 env INVITATION_TEST_FAIL_AT="$step" "$demo" --mode-switch 2> "$work/stderr"
    status=$?
    cat "$work/stderr" >&2
    [ $status -eq "$code" ] || { echo "$step failing: expected exit $code, got $status" >&2; exit 1; }
    head -1 "$work/stderr" | grep -q "^invitation: $step failed" ||
      { echo "$step failing: the first line does not say so" >&2; exit 1; }
    tail -1 "$work/stderr" | grep -q "^invitation: shut down ($found.*), exit code $code\$" ||
      { echo "$step failing: the shutdown did not run, or did not find the $found" >&2; exit 1; }
  done
  ;;
desktop)
  screen=1920x1080
  play_and_end 1920x1080
  ;;
window)
  screen=1920x1080
  play_and_end 1024x768 --window 1024x768
  ;;
arguments)
  # --help, --version and an unknown option are tests/tools/every_program.sh's, as for every program.
  for bad in "--start -5" "--start soon" "--start 200" "--window 10x10"; do
    env -u DISPLAY "$demo" $bad 2> "$work/stderr"
    status=$?
    flag=${bad%% *}
    [ $status -eq 2 ] || { echo "demo $bad: expected exit 2, got $status" >&2; exit 1; }
    head -1 "$work/stderr" | grep -q -- "^invitation: .*$flag" ||
      { echo "demo $bad: the first line does not name $flag" >&2; exit 1; }
    [ "$(wc -l < "$work/stderr")" -le 2 ] || { echo "demo $bad: more than two lines on stderr" >&2; exit 1; }
  done
  ;;
no-music)
  cd "$work"
  run_in_xvfb "$demo" 2> "$work/stderr"
  status=$?
  cat "$work/stderr" >&2
  [ $status -eq 1 ] || { echo "expected exit 1 without inv2.mp3, got $status" >&2; exit 1; }
  lines=$(wc -l < "$work/stderr")
  [ "$lines" -eq 1 ] || { echo "expected one line on stderr, got $lines" >&2; exit 1; }
  grep -q "inv2.mp3" "$work/stderr" || { echo "the message does not name inv2.mp3" >&2; exit 1; }
  grep -q "working directory ($work).* data folder /" "$work/stderr" ||
    { echo "the message does not name both places it looked in" >&2; exit 1; }
  ;;
no-display)
  cd "$work"
  # With its music at hand, so that the display is what it lacks.
  cp "$soundtrack" "$work/inv2.mp3"
  env -u DISPLAY -u WAYLAND_DISPLAY "$demo" 2> "$work/stderr"
  status=$?
  cat "$work/stderr" >&2
  [ $status -eq 2 ] || { echo "expected exit 2 without a display, got $status" >&2; exit 1; }
  [ "$(wc -l < "$work/stderr")" -eq 1 ] || { echo "expected one line on stderr" >&2; exit 1; }
  ;;
*)
  echo "unknown case $case_name" >&2; exit 2 ;;
esac
exit 0
