#!/usr/bin/env bash
# The file tools' command lines: an unknown option or a missing or malformed value exits 2 with
# one line naming it; an argument starting with '-' is never opened as a file unless it comes
# after "--". (--help, --version and the shape of a usage error: every_program.sh.)
# usage: command_lines.sh LWO_INFO LWS_INFO LWS_PLAY OBJECT.lwo
set -u
lwo_info=$1 lws_info=$2 lws_play=$3 object=$4
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1

# exits STATUS COMMAND...
exits() {
  local expected=$1; shift
  "$@" >stdout 2>stderr
  local status=$?
  [ $status -eq "$expected" ] || fail "${*##*/} -> exit $status, expected $expected"
}

cp "$object" ./-odd.lwo || exit 1
printf 'LWSC\n1\n\nFirstFrame 1\nLastFrame 2\nFrameStep 1\nFramesPerSecond 30\nCustomSize 64 48\n' > ./-odd.lws
cp ./-odd.lws plain.lws

for tool in "$lwo_info" "$lws_info" "$lws_play"; do
  usage_error -j "$tool" -j plain.lws
  usage_error -odd "$tool" -odd.lws
done

usage_error "no file" "$lwo_info" --json
exits 0 "$lwo_info" --json -- -odd.lwo
exits 1 "$lwo_info" -- --help   # a file of that name, which does not exist
exits 1 "$lwo_info" -           # a file name too, never an option

# lwo-info's refusals: one line on stderr per refused file, naming it and saying where and why;
# with --json stdout holds one JSON object per file and nothing else. A UTF-8 file name comes
# back unchanged, a byte that is not UTF-8 escaped.
mkdir lwo || exit 1
cp "$object" "lwo/Würfel.lwo" && cp "$object" "$(printf 'lwo/bad\377.lwo')" || exit 1
printf 'FORM\0\0\0\4ILBM' > lwo/old.lwo
for mode in --json --; do
  "$lwo_info" "$mode" lwo/Würfel.lwo lwo/missing.lwo lwo/old.lwo >stdout 2>stderr
  status=$?
  [ $status -eq 1 ] || fail "lwo-info $mode with two refused files -> exit $status, expected 1"
  [ "$(wc -l <stderr)" -eq 2 ] || fail "lwo-info $mode: stderr is not one line per refused file: $(cat stderr)"
  sed -n 1p stderr | grep -q '^lwo-info: lwo/missing\.lwo: cannot be opened' ||
    fail "lwo-info $mode: the missing file's line is: $(sed -n 1p stderr)"
  sed -n 2p stderr | grep -qF 'lwo-info: lwo/old.lwo: FORM at 0x8: form type "ILBM"' ||
    fail "lwo-info $mode: the wrong form's line is: $(sed -n 2p stderr)"
done
"$lwo_info" --json lwo/Würfel.lwo lwo/old.lwo "$(printf 'lwo/bad\377.lwo')" >stdout 2>stderr
[ "$(grep -c '^{.*}$' stdout)" -eq 3 ] && [ "$(wc -l <stdout)" -eq 3 ] ||
  fail "lwo-info --json stdout is not three JSON lines: $(cat stdout)"
sed -n 1p stdout | grep -qF '{"file":"lwo/Würfel.lwo","ok":true,' ||
  fail "lwo-info --json changed a UTF-8 name: $(sed -n 1p stdout)"
sed -n 3p stdout | grep -qF '{"file":"lwo/bad\udcff.lwo","ok":true,' ||
  fail "lwo-info --json did not escape a byte that is not UTF-8: $(sed -n 3p stdout)"

usage_error "no scene" "$lws_info" --json
usage_error --content "$lws_info" plain.lws --content
usage_error --content "$lws_info" --content --json plain.lws
usage_error other.lws "$lws_info" plain.lws other.lws
exits 0 "$lws_info" --content . -- -odd.lws

# lws-info --json: stdout is one JSON object and nothing else, the reader's progress (asked
# for with --verbose) goes to stderr; names come back as they were written, UTF-8 unchanged and
# other bytes escaped. A refused scene is one line of stderr naming it and where and why, and
# stdout still parses.
{ printf 'LWSC\n3\nFirstFrame 1\nsome words\nLoadObjectLayer 1 Würfel.lwo\nNumChannels 0\n'
  printf 'AddLight\nLightName L\377mp\nLightType 0\n'; } > names.lws
json_object() {  # stdout parses as one JSON object; prints nothing else
  python3 -c 'import json, sys
sys.exit(not isinstance(json.loads(sys.stdin.buffer.read().decode("utf-8")), dict))' \
    <stdout 2>/dev/null
}
exits 0 "$lws_info" --json --verbose names.lws
json_object || fail "lws-info --json stdout is not one JSON object: $(head -c 200 stdout)"
grep -qF '"name":"Würfel.lwo"' stdout || fail "lws-info --json changed a UTF-8 name: $(cat stdout)"
grep -qF '"name":"L\udcffmp"' stdout ||
  fail "lws-info --json did not escape a byte that is not UTF-8: $(cat stdout)"
grep -q '^FirstFrame: 1$' stderr || fail "lws-info --json progress is not on stderr: $(cat stderr)"

{ printf 'LWSC\n3\nFramesPerSecond 30\nLoadObjectLayer 1 a.lwo\nNumChannels 4000\n'
  for c in 0 1 2 3 4 5 6 7 8 9 10; do
    printf 'Channel %d { Envelope 2 Key 0 0 0 0 0 0 0 0 0 Key 1 3000 0 0 0 0 0 0 0 }\n' $c
  done; } > refused.lws
mkdir folder.lws || exit 1
for refused in 'refused.lws: line 15: more than 9 channels in one item' \
               'missing.lws: cannot be opened: No such file or directory' \
               'folder.lws: is a directory, not a file'; do
  scene=${refused%%:*}
  exits 1 "$lws_info" --json "$scene"
  json_object || fail "lws-info --json $scene: stdout is not one JSON object: $(head -c 200 stdout)"
  [ "$(grep -c "^lws-info: $scene" stderr)" -eq 1 ] && grep -qxF "lws-info: $refused" stderr ||
    fail "lws-info --json $scene: stderr is not the one line \"$refused\": $(cat stderr)"
done

for frames in abc -3 '' 1x 99999999999999999999; do
  usage_error --frames "$lws_play" plain.lws --png out --frames "$frames"
done
usage_error --frames "$lws_play" plain.lws --png out --frames
usage_error --frames "$lws_play" plain.lws --png out
usage_error --png "$lws_play" plain.lws --frames 1
usage_error --png "$lws_play" plain.lws --frames 1 --png
usage_error --png "$lws_play" plain.lws --png --frames 1
usage_error --content "$lws_play" plain.lws --content
usage_error other.lws "$lws_play" plain.lws other.lws
[ ! -e out ] || fail "a wrong command line still rendered"
exits 0 "$lws_play" --png out --frames 1 -- -odd.lws
[ -f out/frame_000000.png ] || fail "lws-play -- -odd.lws wrote no frame"

# A symbolic link at a frame's name is replaced by the frame, not written through.
echo kept > target && ln -s "$PWD/target" out/frame_000001.png || exit 1
exits 0 "$lws_play" --png out --frames 2 plain.lws
[ "$(cat target)" = kept ] || fail "lws-play wrote a frame through a symbolic link"
[ ! -L out/frame_000001.png ] && head -c 4 out/frame_000001.png | grep -q PNG ||
  fail "lws-play left the link at frame_000001.png instead of a frame"
[ -z "$(find out -name '.*' ! -name .)" ] || fail "lws-play left its staging folder behind"

# Without a display, playing in a window is refused at once, as the demo refuses, rather than
# played on a driver that draws nowhere until someone thinks to stop it.
exits 1 timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$lws_play" plain.lws
[ "$(wc -l <stderr)" -eq 1 ] && grep -q 'no display' stderr ||
  fail "lws-play without a display did not say so in one line: $(cat stderr)"

finish "command lines as expected"
