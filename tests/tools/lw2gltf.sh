#!/usr/bin/env bash
# lw2gltf: every file it writes here passes the Khronos glTF validator with no errors (objects of
# every format, with pictures, as .gltf and .glb; real scenes and a hand-made one), and the
# motion it writes, read back from the file at every exported frame, is the motion lws-info
# --at gives at those frames, to 1e-5 after the change of axes (inside and outside the keys).
# Also its command line and what it leaves behind.
# usage: lw2gltf.sh LW2GLTF LWS_INFO TESTDATA_DIR VALIDATOR_JS
set -u
lw2gltf=$1 lws_info=$2 testdata=$3 validate=$4
. "$(dirname "$0")/../support/scene_text.sh"
cd "$work" || exit 1
export NODE_PATH=${NODE_PATH:-$(npm root -g 2>/dev/null)}

# --- objects, each format, pictures copied beside a .gltf and inside a .glb ------------------
mkdir out
written=()
for object in lwo/uvtest.lwo lwo/earth_spherical_x.lwo lwo/concave_polygon.lwo lwo/lwob_ConcavePolygon.lwo \
              lwo/lwo3_n-gon.lwo lwo/hierarchy.lwo lwo/box_2uv_1unused.lwo lwo/transparency.lwo; do
  name=$(basename "$object" .lwo)
  "$lw2gltf" "$testdata/$object" -o "out/$name.gltf" 2>"$work/stderr" || fail "$object -> exit $?: $(cat "$work/stderr")"
  "$lw2gltf" "$testdata/$object" -o "out/$name.glb" 2>>"$work/stderr" || fail "$object as .glb -> exit $?"
  written+=("out/$name.gltf" "out/$name.glb")
done
[ -f out/earthSpherical.jpg ] || fail "the earth's picture was not copied beside its .gltf"
cmp -s out/earthSpherical.jpg "$testdata/lwo/earthSpherical.jpg" || fail "the picture copy differs"
python3 - out/earth_spherical_x.glb <<'PY' || fail "the .glb holds no picture"
import json, struct, sys
data = open(sys.argv[1], "rb").read()
length = struct.unpack_from("<I", data, 12)[0]
gltf = json.loads(data[20:20 + length])
image = gltf["images"][0]
assert image["mimeType"] == "image/jpeg" and "bufferView" in image and "uri" not in image, image
PY
# glTF's front faces turn counter-clockwise: each triangle's turn must agree with the normals
# given at its corners (a winding left as LightWave's would show every object inside out).
for glb in out/*.glb; do
  python3 - "$glb" <<'PY' || fail "$glb: triangles wound against their normals"
import json, struct, sys
data = open(sys.argv[1], "rb").read()
length = struct.unpack_from("<I", data, 12)[0]
gltf = json.loads(data[20:20 + length])
binary = data[20 + length + 8:]
def vectors(index):
    accessor = gltf["accessors"][index]
    view = gltf["bufferViews"][accessor["bufferView"]]
    start = view.get("byteOffset", 0) + accessor.get("byteOffset", 0)
    return [struct.unpack_from("<3f", binary, start + 12 * k) for k in range(accessor["count"])]
agree = against = 0
for mesh in gltf["meshes"]:
    for primitive in mesh["primitives"]:
        points = vectors(primitive["attributes"]["POSITION"])
        normals = vectors(primitive["attributes"]["NORMAL"])
        for t in range(0, len(points), 3):
            a, b, c = points[t:t + 3]
            u = [b[i] - a[i] for i in range(3)]
            v = [c[i] - a[i] for i in range(3)]
            turn = [u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]]
            given = [sum(n[i] for n in normals[t:t + 3]) for i in range(3)]
            dot = sum(turn[i] * given[i] for i in range(3))
            agree += dot > 0
            against += dot < 0
assert agree > 0 and against == 0, (agree, against)
PY
done

# --- scenes: real ones, and one made to turn, parent (to objects, a camera, a light), pivot (and
# its turn) and light -------------------------------------------------------------------------
{
scene_head 5 0 40 25
cat <<'LWS'
LoadObjectLayer 1 10000000 simple_cube.lwo
NumChannels 9
LWS
envelope 0 "4 2" "0 0 0 0 0 0 0 0 0" "2 1 0 0 0 0 0 0 0"
envelope 3 "1 3" "0.3 0 0 0 0 0 0 0 0" "2.9 1.2 0 0 0 0 0 0 0"
envelope 4 "1 1" "-0.4 0.2 0 0 0 0 0 0 0" "1.1 1 0 0 0 0 0 0 0"
envelope 5 "1 1" "0.7 0 0 0 0 0 0 0 0"
envelope 7 "1 1" "1 0 0 0 0 0 0 0 0" "2.5 1.6 0 0 0 0 0 0 0"
cat <<'LWS'
LoadObjectLayer 1 10000001 simple_cube.lwo
ParentItem 10000000
PivotPosition 0.5 -0.25 1
PivotRotation 30 -20 45
NumChannels 4
LWS
envelope 0 "1 1" "1.5 0 0 0 0 0 0 0 0"
envelope 2 "1 1" "3 0 0 0 0 0 0 0 0" "-1 1.6 0 0 0 0 0 0 0"
envelope 3 "1 1" "-1.2 0 0 0 0 0 0 0 0"
cat <<'LWS'
AddNullObject 10000002 Cockpit
ParentItem 30000000
NumChannels 3
LWS
envelope 1 "1 1" "-0.5 0 0 0 0 0 0 0 0" "0.5 1.6 0 0 0 0 0 0 0"
cat <<'LWS'
AddLight 20000000
LightName Spot
ParentItem 10000001
NumChannels 6
LWS
envelope 4 "1 1" "0.5 0 0 0 0 0 0 0 0"
cat <<'LWS'
LightType 2
LightConeAngle 25
LightEdgeAngle 5
LightColor 1 0.5 0.25
AddLight 20000001
LightName Fill
ParentItem 20000000
NumChannels 1
LWS
envelope 0 "1 1" "2 0 0 0 0 0 0 0 0"
cat <<'LWS'
AddCamera 30000000
CameraName Camera
NumChannels 6
LWS
envelope 2 "1 1" "-8 0 0 0 0 0 0 0 0" "-5 1.6 0 0 0 0 0 0 0"
cat <<'LWS'
ZoomFactor 2
FrameSize 800 600
LWS
} > made.lws
cp "$testdata/lws/simple_cube.lwo" .
scenes=("$testdata/lws/move_x.lws" "$testdata/lws/move_x_post_offset_repeat.lws"
        "$testdata/lws/move_y_pre_ofrep_post_osc.lws" "$testdata/lws/move_xz_bezier.lws"
        "$testdata/lws/move_x_oldformat_56.lws" made.lws)
for scene in "${scenes[@]}"; do
  name=$(basename "$scene" .lws)
  "$lw2gltf" "$scene" -o "out/$name.gltf" 2>"$work/stderr" || fail "$scene -> exit $?: $(cat "$work/stderr")"
  written+=("out/$name.gltf")
  # Every frame of the scene's range, as lws-info --at lists them.
  range=$(awk '/^FirstFrame/{f=$2} /^LastFrame/{l=$2} END{s=""; for(i=f;i<=l;i++) s=s (s==""?"":",") i; print s}' "$scene")
  "$lws_info" --json --at "$range" "$scene" >"$work/at.json" 2>/dev/null || fail "lws-info --at on $scene"
  python3 - "out/$name.gltf" "$work/at.json" "$scene" <<'PY' >>"$work/roundtrip" || fail "round trip of $scene"
import base64, json, math, struct, sys
gltf = json.load(open(sys.argv[1]))
listing = json.load(open(sys.argv[2]))
at = listing["at"]
# An object's pivot turn (PivotRotation, radians here) stands outside its motion's turn.
turns = [o.get("pivotRotation", [0, 0, 0]) for o in listing["objects"]]
buffer = base64.b64decode(gltf["buffers"][0]["uri"].split(",", 1)[1])

def floats(accessor_index):
    a = gltf["accessors"][accessor_index]
    view = gltf["bufferViews"][a["bufferView"]]
    width = {"SCALAR": 1, "VEC3": 3, "VEC4": 4}[a["type"]]
    start = view.get("byteOffset", 0) + a.get("byteOffset", 0)
    values = struct.unpack_from("<%df" % (a["count"] * width), buffer, start)
    return [values[i * width:(i + 1) * width] for i in range(a["count"])]

# Item nodes, in the order lws-info lists items: objects, camera, lights (pivot nodes aside).
items = [i for i, n in enumerate(gltf["nodes"]) if not n.get("name", "").endswith(" pivot")]
tracks = {}
for animation in gltf.get("animations", []):
    for channel in animation["channels"]:
        sampler = animation["samplers"][channel["sampler"]]
        tracks[(channel["target"]["node"], channel["target"]["path"])] = floats(sampler["output"])

def matrix(h, p, b):
    # LightWave's Ry(h) Rx(p) Rz(b), then Z negated on both sides.
    ch, sh, cp, sp, cb, sb = math.cos(h), math.sin(h), math.cos(p), math.sin(p), math.cos(b), math.sin(b)
    ry = [[ch, 0, sh], [0, 1, 0], [-sh, 0, ch]]
    rx = [[1, 0, 0], [0, cp, -sp], [0, sp, cp]]
    rz = [[cb, -sb, 0], [sb, cb, 0], [0, 0, 1]]
    mul = lambda a, c: [[sum(a[r][k] * c[k][col] for k in range(3)) for col in range(3)] for r in range(3)]
    m = mul(mul(ry, rx), rz)
    f = [1, 1, -1]
    return [[m[r][c] * f[r] * f[c] for c in range(3)] for r in range(3)]

def from_quaternion(x, y, z, w):
    return [[1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)],
            [2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)],
            [2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)]]

worst = 0.0
compared = 0
assert len(items) == len(at[0]["items"]), (len(items), len(at[0]["items"]))
for k, entry in enumerate(at):
    for i, (node, v) in enumerate(zip(items, entry["items"])):
        n = gltf["nodes"][node]
        t = tracks.get((node, "translation"), [n.get("translation", [0, 0, 0])] * len(at))[k]
        q = tracks.get((node, "rotation"), [n.get("rotation", [0, 0, 0, 1])] * len(at))[k]
        s = tracks.get((node, "scale"), [n.get("scale", [1, 1, 1])] * len(at))[k]
        want_t = [v[0], v[1], -v[2]]
        got_r, want_r = from_quaternion(*q), matrix(v[3], v[4], v[5])
        if i < len(turns):
            p = matrix(*turns[i])
            want_r = [[sum(p[r][k] * want_r[k][c] for k in range(3)) for c in range(3)] for r in range(3)]
        diffs = [abs(a - b) for a, b in zip(t, want_t)] + [abs(a - b) for a, b in zip(s, v[6:9])]
        diffs += [abs(got_r[r][c] - want_r[r][c]) for r in range(3) for c in range(3)]
        worst = max(worst, max(diffs))
        compared += 1
        assert max(diffs) <= 1e-5, (sys.argv[3], entry["frame"], gltf["nodes"][node].get("name"), t, want_t, q, v)
print("%s: %d item frames, largest difference %.3g" % (sys.argv[3].split("/")[-1], compared, worst))
PY
done
cat "$work/roundtrip"

# --- the validator over everything written ---------------------------------------------------
node "$validate" "${written[@]}" >"$work/validation"
status=$?
cat "$work/validation"
[ $status -eq 0 ] || fail "the validator found errors (exit $status)"

# --- command line and manners ---------------------------------------------------------------
usage_error "-o" "$lw2gltf" "$testdata/lwo/uvtest.lwo"
usage_error "neither" "$lw2gltf" "$testdata/lwo/FACTS.json" -o x.gltf
usage_error "unknown option" "$lw2gltf" --frobnicate "$testdata/lwo/uvtest.lwo" -o x.gltf
"$lw2gltf" "$testdata/lwo/empty.lwo" -o out/empty.gltf 2>"$work/stderr"
[ $? -eq 1 ] || fail "an empty object should fail with exit 1"
grep -q "empty.lwo" "$work/stderr" || fail "the failure should name the file: $(cat "$work/stderr")"
[ ! -e out/empty.gltf ] || fail "a failed export left a file behind"
ls -A out | grep -q '^\.lw2gltf' && fail "a staging folder was left behind"
finish "lw2gltf: ${#written[@]} files valid, round trips within 1e-5"
