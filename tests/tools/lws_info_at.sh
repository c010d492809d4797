#!/usr/bin/env bash
# lws-info --at: each item's nine channel values at chosen frames. A real version 5 scene whose
# post behaviour is offset repeat, at frames before, inside, at and after its keys (values
# worked out by hand from its keys with the TCB and Hermite formulas, the same figures as
# EnvelopeRealScenes in tests/scene); the version 2 copy of a version 5 scene gives that
# scene's values, inside and outside its frames; a version 3 scene gives only its baked samples (null
# where none was baked, the first key's frame counted) and a version 1 scene its interpolated
# keys, with the defaults for channels an item lacks; the text table; and wrong frame lists.
# usage: lws_info_at.sh LWS_INFO OBJECT.lwo TESTDATA_DIR
set -u
lws_info=$1 object=$2 testdata=$3
. "$(dirname "$0")/../support/scene_text.sh"
cd "$work" || exit 1

# check_at JSON_FILE PYTHON_EXPECTED: the "at" member against {frame: [rows]}, None for null.
check_at() {
  python3 - "$1" "$2" <<'PY'
import json, sys
at = json.load(open(sys.argv[1]))["at"]
expected = eval(sys.argv[2])
assert [entry["frame"] for entry in at] == list(expected), [entry["frame"] for entry in at]
for entry in at:
    rows = expected[entry["frame"]]
    assert len(entry["items"]) == len(rows), (entry["frame"], entry["items"])
    for got, want in zip(entry["items"], rows):
        assert len(got) == 9, got
        for g, w in zip(got, want):
            ok = g is None if w is None else g is not None and abs(g - w) <= 1e-9
            assert ok, (entry["frame"], got, want)
PY
}

# --- version 5: move_x_post_offset_repeat.lws, 30 frames a second --------------------------
# Channel 0: TCB keys 0 at 0 s, v1 at 2/3 s, v2 at 1.3 s; pre constant, post offset repeat
# (each cycle of 1.3 s shifted by v2 - 0). Frame 10: 1.4413779942450644; frame 30:
# 0.5023373078121037 (tests/scene/test_envelope_eval.cpp shows the working). The other
# object channels hold one key each; the camera has six channels, so its scale is 1.
real="$testdata/lws/move_x_post_offset_repeat.lws"
v1=2.1381859973436792 v2=-1.6381832361221313
f10=1.4413779942450644 f30=0.5023373078121037
object_row() { echo "[$1, 0, 0, 0, 0, 0, 1, 1, 1]"; }
camera='[-0.10000002384185791, 0.94999998807907104, -6.384000301361084, 0, 0, 0, 1, 1, 1]'
light='[-2, 2, -2, 0.78539813999999997, 0.61086521999999999, 0, 1, 1, 1]'
rows() { echo "[$(object_row "$1"), $camera, $light]"; }
"$lws_info" --json --at -10,10,20,30,39,49,69,88 "$real" >at.json 2>stderr ||
  fail "lws-info --json --at on $real -> exit $?: $(cat stderr)"
check_at at.json "{-10: $(rows 0), 10: $(rows $f10), 20: $(rows $v1), 30: $(rows $f30),
  39: $(rows $v2), 49: $(rows "$f10 + $v2"), 69: $(rows "$f30 + $v2"),
  88: $(rows "$f10 + 2 * $v2")}" || fail "lws-info --at on $real: $(cat at.json)"
# The listing and the JSON are one object: --at adds a member, nothing else changes.
"$lws_info" --json "$real" >plain.json 2>/dev/null
python3 -c 'import json,sys; a=json.load(open(sys.argv[1])); del a["at"]; assert a == json.load(open(sys.argv[2]))' \
  at.json plain.json || fail "--at changed the rest of the JSON"

"$lws_info" --at 49 "$real" >stdout 2>stderr || fail "lws-info --at 49 -> exit $?: $(cat stderr)"
grep -q '^values at frames (angles in radians' stdout || fail "no table heading: $(cat stdout)"
row=$(grep ' object simple_cube.lwo$' stdout)
[ "$(echo "$row" | awk '{print $1, $2, $10}')" = "49 -0.196805 1" ] ||
  fail "table row for the cube at frame 49: $row"

# --- version 2: the same scene as move_x.lws, evaluated alike, outside its frames too ------
"$lws_info" --json --at -10,0,20,45,80 "$testdata/lws/move_x_oldformat_56.lws" >v2.json 2>stderr ||
  fail "lws-info --at on the version 2 scene -> exit $?: $(cat stderr)"
"$lws_info" --json --at -10,0,20,45,80 "$testdata/lws/move_x.lws" >v5.json 2>/dev/null
python3 - v2.json v5.json <<'PY' || fail "version 2 and version 5 values differ: $(cat v2.json)"
import json, sys
older, newer = (json.load(open(name))["at"] for name in sys.argv[1:])
assert len(older) == len(newer) == 5
for a, b in zip(older, newer):
    for row_a, row_b in zip(a["items"], b["items"]):
        assert all(abs(x - y) <= 1e-5 for x, y in zip(row_a, row_b)), (a["frame"], row_a, row_b)
PY

# --- version 3: baked samples only --------------------------------------------------------
# Two frames a second. Channel 0: 0 at 0 s to 10 at 1 s, tangents 0: samples 0 (frame 0) and
# 5 (frame 1, t 1/2: 10 h2 = 5); the last key is never baked. Channel 1: 1 at 0.5 s to 3 at
# 1.5 s: samples 1 (frame 1) and 2 (frame 2). Channel 2 has one key: nothing baked. Channels
# 3 to 8 are missing: 0, and 1 for scale.
cp "$object" cube.lwo || exit 1
{
scene_head 3 0 2 2
printf 'LoadObjectLayer 1 cube.lwo\nNumChannels 3\n'
envelope 0 - "0 0 1 0 0 0 0 0 0" "10 1 1 0 0 0 0 0 0"
envelope 1 - "1 0.5 1 0 0 0 0 0 0" "3 1.5 1 0 0 0 0 0 0"
envelope 2 - "7 0 1 0 0 0 0 0 0"
} > v3.lws
v3row() { echo "[$1, $2, None, 0, 0, 0, 1, 1, 1]"; }
nothing='[None, None, None, 0, 0, 0, 1, 1, 1]'
no_camera='[0, 0, 0, 0, 0, 0, 1, 1, 1]'
"$lws_info" --json --at -1,0,1,2,3 v3.lws >at.json 2>stderr || fail "lws-info v3.lws -> exit $?: $(cat stderr)"
check_at at.json "{-1: [$nothing, $no_camera], 0: [$(v3row 0 None), $no_camera],
  1: [$(v3row 5 1), $no_camera], 2: [$(v3row None 2), $no_camera], 3: [$nothing, $no_camera]}" ||
  fail "lws-info --at on a version 3 scene: $(cat at.json)"
"$lws_info" --at 3 v3.lws >stdout 2>/dev/null
grep -qE '^ +3 +- +- +- +0 +0 +0 +1 +1 +1  object cube.lwo$' stdout ||
  fail "no dashes for what was not baked: $(cat stdout)"

# --- version 1: interpolated keys, angles in degrees ----------------------------------------
# The object moves from frame 0 to 10: x 0 -> 10, heading 0 -> 90; samples from frame 1 (key
# 0's own values are never baked) to 10. The camera gives six channels: its scale is 1, not
# the 0 its samples hold for the channels it lacks.
cat > v1.lws <<'SCENE'
LWSC
1
FramesPerSecond 30
LoadObject cube.lwo
ObjectMotion (unnamed)
  9
  2
  0 0 0 0 0 0 1 1 1
  0 0 0 0 0
  10 0 0 90 0 0 2 2 2
  10 0 0 0 0
CameraMotion (unnamed)
  6
  2
  0 0 -5 0 0 0
  0 0 0 0 0
  0 2 -5 0 0 0
  4 0 0 0 0
SCENE
"$lws_info" --json --at 0,1,5,10,11 v1.lws >at.json 2>stderr || fail "lws-info v1.lws -> exit $?: $(cat stderr)"
none='[None] * 9'
camera_none='[None] * 6 + [1, 1, 1]'
check_at at.json "{0: [$none, $camera_none],
  1: [[1, 0, 0, 9, 0, 0, 1.1, 1.1, 1.1], [0, 0.5, -5, 0, 0, 0, 1, 1, 1]],
  5: [[5, 0, 0, 45, 0, 0, 1.5, 1.5, 1.5], $camera_none],
  10: [[10, 0, 0, 90, 0, 0, 2, 2, 2], $camera_none], 11: [$none, $camera_none]}" ||
  fail "lws-info --at on a version 1 scene: $(cat at.json)"
"$lws_info" --at 1 v1.lws >stdout 2>/dev/null
grep -q '^values at frames (angles in degrees' stdout || fail "version 1 angles not in degrees: $(cat stdout)"

# --- wrong frame lists ----------------------------------------------------------------------
usage_error --at "$lws_info" v1.lws --at
usage_error 1.5 "$lws_info" --at 1.5 v1.lws
usage_error 1,,2 "$lws_info" --at 1,,2 v1.lws
usage_error 1234567890 "$lws_info" --at 1234567890 v1.lws
usage_error --json "$lws_info" --at --json v1.lws

finish "lws-info --at gives each item's channel values at the frames asked for"
