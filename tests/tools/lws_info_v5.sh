#!/usr/bin/env bash
# lws-info on version 4 and 5 scenes: items with their ids, a null object as the parent of a
# mesh with a pivot, an unknown parent reported with its line, what was skipped counted; the
# same in --json; the real version 5 scene listed with its three items; the real version 2
# scene without notes.
# usage: lws_info_v5.sh LWS_INFO OBJECT.lwo TESTDATA_DIR
set -u
lws_info=$1 object=$2 testdata=$3
. "$(dirname "$0")/../support/scene_text.sh"
cd "$work" || exit 1

cp "$object" cube.lwo || exit 1
{
scene_head 5 0 2 2
cat <<'SCENE'
AddNullObject 1000000A hinge
LoadObjectLayer 1 1000000B cube.lwo
ParentItem 1000000A
PivotPosition 1 2 3
{ Settings
  { Nested 1 }
}
Plugin ItemMotionHandler 1 Mover
EndPlugin
AddNullObject 1000000C orphan
ParentItem 10000099
SCENE
} > links.lws

"$lws_info" links.lws >stdout 2>stderr || fail "lws-info links.lws -> exit $?: $(cat stderr)"
expected='version 5
frames 0 to 2 at 2 per second, preview to 0
null hinge
    id 1000000A, parent none, pivot 0 0 0'
[ "$(head -4 stdout)" = "$expected" ] || fail "lws-info links.lws: head is $(head -4 stdout)"
grep -qx '    id 1000000B, parent hinge, pivot 1 2 3' stdout || fail "no link line for cube: $(cat stdout)"
grep -qx '    id 1000000C, parent none, pivot 0 0 0' stdout || fail "no link line for orphan: $(cat stdout)"
grep -qx 'skipped: 0 unknown keywords, 2 blocks' stdout || fail "no skipped line: $(cat stdout)"
grep -q 'links.lws: line 16: object orphan: parent 10000099 names no other item' stderr ||
  fail "unknown parent not reported with its line: $(cat stderr)"

"$lws_info" --json links.lws >stdout 2>/dev/null || fail "lws-info --json links.lws -> exit $?"
python3 - stdout <<'PY' || fail "lws-info --json links.lws: $(cat stdout)"
import json, sys
scene = json.load(open(sys.argv[1]))
objects = scene["objects"]
assert [o["kind"] for o in objects] == ["null", "object", "null"], objects
assert [o["id"] for o in objects] == ["1000000A", "1000000B", "1000000C"], objects
assert [o["parent"] for o in objects] == [None, "hinge", None], objects
assert objects[1]["pivot"] == [1, 2, 3], objects[1]
assert objects[1]["meshPolygons"] > 0, objects[1]
assert scene["skippedBlocks"] == 2, scene
PY

real="$testdata/lws/move_x.lws"
"$lws_info" "$real" >stdout 2>stderr || fail "lws-info $real -> exit $?: $(cat stderr)"
[ "$(grep -c '^    id ' stdout)" -eq 3 ] || fail "lws-info $real: not three ids: $(cat stdout)"
! grep -q 'not followed' stdout || fail "lws-info $real: notes for a version 5 scene"

# Version 2 is baked as fully as version 5: no notes, and what was skipped is counted.
old="$testdata/lws/move_x_oldformat_56.lws"
"$lws_info" "$old" >stdout 2>stderr || fail "lws-info $old -> exit $?: $(cat stderr)"
[ "$(head -1 stdout)" = "version 2" ] || fail "lws-info $old: $(head -1 stdout)"
grep -q '^skipped: [0-9]* unknown keywords, 2 blocks$' stdout || fail "lws-info $old: no skipped line: $(cat stdout)"
! grep -q 'not followed' stdout || fail "lws-info $old: notes for a version 2 scene"

finish "lws-info lists version 5 items with their ids, parents and pivots"
