#!/usr/bin/env bash
# SIGTERM and SIGINT stop a running capture after the frame at hand: exit 128 + the signal,
# one line saying where it stopped, the PNG files written so far kept, the video finished and
# readable with every frame sent. SIGINT also goes to the whole process group, as Ctrl-C at a
# terminal does: ffmpeg must not see it, or it ends the video itself and the capture fails.
# A second signal forces the stop. Either way nothing of the capture's own is left behind.
# usage: capture_signals.sh DEMO_CAPTURE BUILD_DIR   (BUILD_DIR holds inv2.mp3)
set -u
capture=$1
. "$(dirname "$0")/../support/shell_test.sh"
cd "$2" || exit 1
# Job control: each background job leads a process group of its own, like a terminal's job,
# and does not start with SIGINT ignored.
set -m

# stop_capture SIGNAL WHOM READY ARGS...: starts a capture, waits until the shell test READY
# holds, sends SIGNAL to the capture ("pid") or its process group ("group"), and leaves the
# exit status in $status and the last stderr line in $said.
stop_capture() {
  local signal=$1 whom=$2 ready=$3
  shift 3
  "$capture" --fps 10 --size 320x240 "$@" 2>"$work/stderr" &
  local pid=$!
  local tries=0
  until eval "$ready"; do
    tries=$((tries + 1))
    [ $tries -lt 600 ] && kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if [ "$whom" = group ]; then kill -s "$signal" -- -$pid; else kill -s "$signal" $pid; fi
  [ "${twice:-}" ] && kill -s "$signal" $pid
  # A capture that ignores the signal is killed after 30 s, which shows as status 137.
  timeout 30 tail --pid=$pid -s 0.1 -f /dev/null || kill -s KILL $pid
  wait $pid
  status=$?
  said=$(tail -n 1 "$work/stderr")
}

# written_count SIGNAL: M from "stopped by SIGNAL at frame N (T s); M frames written", or -1.
written_count() {
  sed -n "s/^invitation-capture: stopped by $1 at frame [0-9]* ([0-9.]* s); \([0-9]*\) frames written$/\1/p" <<<"$said" |
    grep . || echo -1
}

# no_leftovers WHAT: fails when a staging folder of the capture's is still there.
no_leftovers() {
  local left
  left=$(find "$work" -name '.invitation-capture-*')
  [ -z "$left" ] || fail "$1 left behind: $left"
}

# staged NAME: the capture is writing NAME (into its staging folder), and has begun.
staged() {
  find "$work" -path "*/.invitation-capture-*/$1" -size +0 | grep -q .
}

video_frames() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1" 2>/dev/null
}

for case in "SIGTERM pid 143" "SIGINT group 130"; do
  read -r signal whom expected <<<"$case"
  video=$work/$signal.mp4
  # ffmpeg makes the file once it has the first frame.
  stop_capture "$signal" "$whom" "staged $signal.mp4" --video "$video"
  [ $status -eq "$expected" ] || fail "$signal to a video capture: exit $status, expected $expected; said: $said"
  written=$(written_count "$signal")
  [ "$written" -gt 0 ] || fail "$signal to a video capture said: $said"
  frames=$(video_frames "$video")
  [ "${frames:-0}" -eq "$written" ] ||
    fail "$signal: the video holds ${frames:-no} frames, $written were written"
  ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 "$video" | grep -q aac ||
    fail "$signal: the video has no soundtrack"
  no_leftovers "$signal to a video capture"
done

# Two signals at once: whatever the capture was waiting on is given up, through the same way out.
twice=yes stop_capture SIGTERM pid "staged forced.mp4" --video "$work/forced.mp4"
[ $status -eq 143 ] || fail "two SIGTERMs to a video capture: exit $status, expected 143; said: $said"
grep -q "^invitation-capture: stopped by SIGTERM at frame" <<<"$said" || fail "two SIGTERMs said: $said"
no_leftovers "two SIGTERMs to a video capture"

mkdir "$work/png"
stop_capture SIGINT pid "[ -e '$work/png/frame_000003.png' ]" --png "$work/png"
[ $status -eq 130 ] || fail "SIGINT to a PNG capture: exit $status, expected 130; said: $said"
written=$(written_count SIGINT)
count=$(ls "$work/png" | wc -l)
[ "$written" -gt 0 ] && [ "$count" -eq "$written" ] || fail "SIGINT: $count PNG files, the capture said: $said"
last=$(ls "$work/png" | tail -n 1)
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$work/png/$last")" = "320,240" ] ||
  fail "the last PNG written, $last, does not read as a whole 320x240 picture"
no_leftovers "SIGINT to a PNG capture"

finish "signals stop captures cleanly"
