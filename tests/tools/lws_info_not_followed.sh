#!/usr/bin/env bash
# lws-info's line for a version 3 channel whose keys the baking does not follow: one line for a
# TCB channel and one for a channel that repeats before its first key (its repeat after the last
# key is followed), none for Hermite or 1D Bezier keys held constant; the same in --json as "notFollowed"; and on a real version 3
# scene, a line for its one TCB channel of several keys only.
# usage: lws_info_not_followed.sh LWS_INFO OBJECT.lwo TESTDATA_DIR
set -u
lws_info=$1 object=$2 testdata=$3
. "$(dirname "$0")/../support/scene_text.sh"
cd "$work" || exit 1

cp "$object" cube.lwo || exit 1
# Channel 1's "Behaviors" line, after its keys as LightWave writes it, asks for repeat both ways.
{
cat <<'SCENE'
LWSC
3

FirstFrame 1
LastFrame 30
FramesPerSecond 30

LoadObjectLayer 1 cube.lwo
ObjectMotion
NumChannels 3
SCENE
envelope 0 "1 1" "0 0 0 0 0 0 0 0 0" "1 1 0 0.5 0 0 0 0 0"
cat <<'SCENE'
Channel 1
{ Envelope
  2
  Key 0 0 1 0 0 0 0 1 0
  Key 1 1 1 0 0 0 1 0 0
  Behaviors 2 2
}
SCENE
envelope 2 "1 1" "0 0 1 0 0 0 0 1 0" "1 1 2 0 0 0 1 0 0"
} > shapes.lws

"$lws_info" shapes.lws >stdout 2>stderr || fail "lws-info shapes.lws -> exit $?: $(cat stderr)"
# The line that follows each channel's own line, or "-" for none.
notes=$(awk '/^    channel /{if (c != "") print c " " n; c=$2; n="-"; next}
             /^      not followed: /{n=$0} END{print c " " n}' stdout)
expected=$(printf '0: %s\n1: %s\n2: -' \
  '      not followed: span TCB baked as Hermite' \
  '      not followed: pre behaviour repeat, nothing baked before the first key')
[ "$notes" = "$expected" ] || fail "lws-info shapes.lws: lines per channel are
$notes
expected
$expected
listing: $(cat stdout)"
[ "$(grep -c 'not followed' stdout)" -eq 2 ] || fail "lws-info shapes.lws: not two lines: $(cat stdout)"

"$lws_info" --json shapes.lws >stdout 2>stderr || fail "lws-info --json shapes.lws -> exit $?"
python3 - stdout <<'PY' || fail "lws-info --json shapes.lws: $(cat stdout)"
import json, sys
channels = json.load(open(sys.argv[1]))['objects'][0]['channels']
got = [c['notFollowed'] for c in channels]
assert got == [['span TCB'], ['pre repeat'], []], got
assert list(channels[0])[-1] == 'notFollowed', list(channels[0])
PY

# Its position x has three TCB keys; the other eight channels hold one key each.
real="$testdata/lws/move_x_oldformat_6.lws"
"$lws_info" "$real" >stdout 2>stderr  # its object is not in the test data: exit 1
grep -c 'not followed' stdout | grep -qx 1 && grep -A1 '^    channel 0: 3 keys' stdout |
  grep -qxF '      not followed: span TCB baked as Hermite' ||
  fail "lws-info $real: expected one line, for channel 0: $(cat stdout)"

finish "lws-info names the channels its baking does not follow"
