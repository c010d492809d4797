#!/usr/bin/env bash
# Where invitation-capture writes, and what it makes of its soundtrack. A symbolic link at the
# name of a frame or of the video is replaced by the file, never written through, so the file it
# points at stays as it was and nothing is made outside the target. A soundtrack that ends early
# still gives a video as long as its frames, silent after the music; one that cannot be decoded
# is refused before the first frame; when ffmpeg fails, a full disk included, the capture says how.
# usage: capture_writes.sh DEMO_CAPTURE SOUNDTRACK
set -u
capture=$1 soundtrack=$2
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1

# is_png FILE: a regular file (not a link) holding a PNG picture.
is_png() {
  [ -f "$1" ] && [ ! -L "$1" ] && [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]
}

# within SECONDS EXPECTED TOLERANCE: |SECONDS - EXPECTED| <= TOLERANCE.
within() {
  awk -v got="$1" -v want="$2" -v tol="$3" 'BEGIN { d = got - want; exit !(got != "" && d <= tol && -d <= tol) }'
}

no_leftovers() {
  local left
  left=$(find "$work" -name '.invitation-capture-*')
  [ -z "$left" ] || fail "$1 left behind: $left"
}

# Frames over links: one to a file that must stay as it is, one to a file that must not appear.
mkdir png
echo "not a frame" >kept
ln -s ../kept png/frame_000001.png
ln -s "$work/made-outside" png/frame_000002.png
"$capture" --fps 10 --to 0.2 --size 160x120 --png png 2>stderr || fail "PNG capture over links: $(cat stderr)"
echo "not a frame" | cmp -s - kept || fail "a frame was written through the link into the file it points at"
[ -e made-outside ] && fail "a frame was written through a dangling link, outside the folder"
for frame in 0 1 2; do
  is_png "png/frame_00000$frame.png" || fail "frame $frame is not a PNG file of its own: $(ls -l png)"
done
no_leftovers "a PNG capture"

# The soundtrack cut short (its first 100 KB, about 4 s), over a link at the video's name:
# 8 s at 10 frames/s are 81 frames, 8.1 s.
head -c 100000 "$soundtrack" >inv2.mp3
echo "not a video" >kept-video
ln -s kept-video short.mp4
"$capture" --fps 10 --to 8 --size 160x120 --video short.mp4 2>stderr ||
  fail "a capture with a short soundtrack failed: $(cat stderr)"
echo "not a video" | cmp -s - kept-video || fail "the video was written through the link at its name"
[ -f short.mp4 ] && [ ! -L short.mp4 ] || fail "the video did not replace the link at its name"
for stream in v a; do
  IFS=, read -r codec duration < <(ffprobe -v error -select_streams $stream:0 -show_entries stream=codec_name,duration \
    -of csv=p=0 short.mp4)
  within "${duration:-}" 8.1 0.2 || fail "the video's $stream stream lasts ${duration:-nothing}, not 8.1 s ($codec)"
done
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 short.mp4)
within "$duration" 8.1 0.2 || fail "the video lasts $duration s, not 8.1 s"
# Past the music the sound is silence (volumedetect's floor is -91 dB).
loudest=$(ffmpeg -hide_banner -ss 6 -i short.mp4 -map 0:a -af volumedetect -f null - 2>&1 |
  sed -n 's/.*max_volume: \(.*\) dB/\1/p')
awk -v db="${loudest:-0}" 'BEGIN { exit !(db <= -80) }' || fail "after the music the sound peaks at ${loudest:-?} dB"
no_leftovers "a video capture"

# A soundtrack that cannot be decoded: refused before a frame is rendered, naming the file.
echo "no music in here" >inv2.mp3
"$capture" --fps 10 --to 1 --size 160x120 --video refused.mp4 2>stderr
status=$?
[ $status -eq 1 ] && grep -q "inv2.mp3.*not decodable" stderr && ! grep -q "frames rendered" stderr ||
  fail "an undecodable soundtrack: exit $status, said: $(cat stderr)"
[ -e refused.mp4 ] && fail "an undecodable soundtrack still made a video"

# ffmpeg refuses the output (no format goes by that name): the reason reaches the user, and the
# name is the one they gave.
head -c 100000 "$soundtrack" >inv2.mp3
"$capture" --fps 10 --to 1 --size 160x120 --video out.nosuchformat 2>stderr
status=$?
[ $status -eq 1 ] && grep -q "ffmpeg exited with status [1-9][0-9]*: out.nosuchformat" stderr ||
  fail "ffmpeg failing: exit $status, said: $(cat stderr)"
[ -e out.nosuchformat ] && fail "a video ffmpeg failed on was left behind"
no_leftovers "a failed video capture"

# A disk that fills: ffmpeg's reason reaches the user although nothing more fits on the disk the
# video goes to, and nothing is left there. A small tmpfs in a mount namespace of our own (where
# the system allows one): ffmpeg fails either mid-stream or while writing the trailer, the latter
# with an exit status of 0 and a cut-off video.
if unshare -rm true 2>/dev/null; then
  mkdir full
  unshare -rm sh -c 'mount -t tmpfs -o size=16k tmpfs full && "$1" --fps 10 --to 3 --size 160x120 --video full/out.mp4 2>stderr
    echo $? >status; ls -A full >left' sh "$capture"
  status=$(cat status)
  [ "$status" -eq 1 ] && grep -q "ffmpeg.*No space left on device" stderr ||
    fail "a full disk: exit $status, said: $(cat stderr)"
  [ -s left ] && fail "a full disk left behind: $(cat left)"
else
  echo "a full disk: not tried, no mount namespace here"
fi

finish "the capture writes only where it should"
