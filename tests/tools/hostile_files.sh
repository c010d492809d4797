#!/usr/bin/env bash
# The file tools facing files made to hurt whoever reads them: what they write by default stays
# in proportion to the file, names reach the terminal escaped, and a scene opens no object
# outside its content folder.
# usage: hostile_files.sh LWO_INFO LWS_INFO LWS_PLAY JPEG_INFO OBJECT.lwo PICTURE.jpg
set -u
lwo_info=$1 lws_info=$2 lws_play=$3 jpeg_info=$4 object=$5 picture=$6
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1
esc=$(printf '\033')

# The reader's progress printout repeats every light so far after each light: 1024 lights in a
# 34 KB scene would be 21 MB of it. Unasked, none of it is written; asked, it is there.
{ printf 'LWSC\n3\n\n'
  for i in $(seq 1024); do
    printf 'AddLight\nLightName Light%d\nShowLight 0 7\nLightColor 255 255 255\nLightType 0\n\n' "$i"
  done; } > lights.lws
for mode in --json --; do
  "$lws_info" $mode lights.lws >stdout 2>stderr || fail "lws-info $mode lights.lws -> exit $?"
  [ ! -s stderr ] || fail "lws-info $mode lights.lws wrote to stderr: $(head -c 200 stderr)"
  [ "$(wc -c <stdout)" -lt 100000 ] ||
    fail "lws-info $mode lights.lws wrote $(wc -c <stdout) bytes for a $(wc -c <lights.lws)-byte scene"
done
grep -qx 'light Light1024' stdout || fail "lws-info lights.lws does not list the last light"
"$lws_info" --json --verbose lights.lws 2>stderr | python3 -c 'import json, sys
sys.exit(len(json.load(sys.stdin)["lights"]) != 1024)' || fail "lws-info --json --verbose: not 1024 lights"
grep -q '^nr channels: 0$' stderr || fail "lws-info --json --verbose printed no progress on stderr"

# Names with terminal commands in them: escaped in the listing and in the reasons on stderr,
# while valid UTF-8 stays as it is.
printf 'LWSC\n3\nLoadObjectLayer 1 \033[2Jgone.lwo\nNumChannels 0\nAddLight\nLightName L\303\244mp\033]0;owned\007\nLightType 0\n' > names.lws
"$lws_info" names.lws >stdout 2>stderr
! grep -q "$esc" stdout stderr || fail "lws-info let an ESC byte through: $(cat -v stdout stderr)"
grep -qxF 'light Lämp\x1b]0;owned\x07' stdout || fail "lws-info light name: $(grep light stdout)"
grep -qF 'lws-info: names.lws: line 3: object \x1b[2Jgone.lwo not loaded: ' stderr ||
  fail "lws-info object reason: $(cat stderr)"

# Every path a name takes, the reader's verbose printout included: no ESC, BEL or C1 byte reaches
# the terminal, in a listing or with --json.
terminal_bytes() { grep -q "$esc\|$(printf '\007')\|$(printf '\302\233')" "$@"; }
printf 'LWSC\n3\nAddLight\nLightName Lamp\033[2J\033]0;pwned\007\302\233x\nLightType 0\n' > verbose.lws
for mode in --json --; do
  "$lws_info" --verbose $mode verbose.lws >stdout 2>stderr
  ! terminal_bytes stdout stderr || fail "lws-info --verbose $mode let a control byte through: $(cat -v stdout stderr)"
  grep -qF 'Lamp\x1b[2J\x1b]0;pwned\x07\u009bx' stdout stderr || fail "lws-info --verbose $mode: $(cat -v stdout stderr)"
done
"$lws_play" --verbose --png frames --frames 1 verbose.lws >stdout 2>stderr
! terminal_bytes stdout stderr || fail "lws-play --verbose let a control byte through: $(cat -v stdout stderr)"
grep -qF 'Lamp\x1b[2J\x1b]0;pwned\x07\u009bx' stdout || fail "lws-play --verbose: $(cat -v stdout stderr)"
badname=$(printf 'pic\033]0;pwned\007\302\233')
cp "$picture" "$badname.jpg" && echo "no picture" >"$badname-not.jpg" || exit 1
for mode in --json --; do
  "$jpeg_info" $mode "$badname.jpg" "$badname-not.jpg" >stdout 2>stderr
  ! terminal_bytes stdout stderr || fail "jpeg-info $mode let a control byte through: $(cat -v stdout stderr)"
  [ "$(cat stdout stderr | grep -c 'pic\\x1b]0;pwned\\x07\\u009b\|pic\\u001b]0;pwned\\u0007\\u009b')" -ge 3 ] ||
    fail "jpeg-info $mode names: $(cat -v stdout stderr)"
done

# An object whose layer and surface are named with commands.
python3 - <<'EOF' || exit 1
import struct
def chunk(tag, body):
    return tag + struct.pack('>I', len(body)) + body + (b'\0' if len(body) % 2 else b'')
def s0(text):
    text += b'\0'
    return text + (b'\0' if len(text) % 2 else b'')
surface = b'\x1b[2Jskin'
body = b'LWO2' + chunk(b'TAGS', s0(surface))
body += chunk(b'LAYR', struct.pack('>HH3f', 0, 0, 0, 0, 0) + s0(b'top\x1b]0;owned\x07'))
body += chunk(b'PNTS', struct.pack('>9f', 0, 0, 0, 1, 0, 0, 0, 1, 0))
body += chunk(b'POLS', b'FACE' + struct.pack('>HHHH', 3, 0, 1, 2))
body += chunk(b'PTAG', b'SURF' + struct.pack('>HH', 0, 0))
body += chunk(b'SURF', s0(surface) + s0(b'') + b'COLR' + struct.pack('>H3fH', 14, 1, 0, 0, 0))
open('names.lwo', 'wb').write(b'FORM' + struct.pack('>I', len(body)) + body)
EOF
"$lwo_info" names.lwo >stdout 2>stderr || fail "lwo-info names.lwo -> exit $?: $(cat stderr)"
! grep -q "$esc" stdout || fail "lwo-info let an ESC byte through: $(cat -v stdout)"
grep -qF '"top\x1b]0;owned\x07"' stdout && grep -qF '"\x1b[2Jskin" colour' stdout ||
  fail "lwo-info names: $(cat stdout)"

# Object paths stay inside the content folder: the scene's own folder, or --content DIR.
# "../c2" shares its first letters with the folder "c": inside only by a string's prefix.
mkdir -p scenes/c scenes/c2 || exit 1
cp "$object" scenes/cube.lwo && cp "$object" scenes/c/cube.lwo && cp "$object" scenes/c2/cube.lwo || exit 1
ln -s "$work/scenes/c2" scenes/c/out || exit 1
{ printf 'LWSC\n3\n'
  for name in cube.lwo ../../../../../../../../etc/passwd /etc/passwd "$work/scenes/c/cube.lwo" \
              ../c2/cube.lwo out/cube.lwo ../cube.lwo; do
    printf 'LoadObjectLayer 1 %s\nNumChannels 0\n' "$name"
  done; } > scenes/paths.lws
refused() {  # refused LINE NAME: stderr says the object on that line was refused
  grep -qF "lws-info: scenes/paths.lws: line $1: object $2 refused: " stderr ||
    fail "lws-info $mode: $2 (line $1) not refused: $(cat stderr)"
}
polygons() {  # the mesh polygons of each object, in order
  python3 -c 'import json, sys
print(" ".join(str(o["meshPolygons"]) for o in json.load(sys.stdin)["objects"]))' <stdout
}
cube=$("$lwo_info" --json "$object" | python3 -c 'import json, sys; print(json.load(sys.stdin)["meshPolygons"])')
mode="--content scenes/c"
"$lws_info" --json --content scenes/c scenes/paths.lws >stdout 2>stderr
refused 5 ../../../../../../../../etc/passwd
refused 7 /etc/passwd
refused 11 ../c2/cube.lwo
refused 13 out/cube.lwo
refused 15 ../cube.lwo
[ "$(grep -c refused stderr)" -eq 5 ] || fail "lws-info $mode refused other objects: $(cat stderr)"
[ "$(polygons)" = "$cube 0 0 $cube 0 0 0" ] || fail "lws-info $mode loaded: $(polygons)"
mode="(the scene's folder)"
"$lws_info" --json scenes/paths.lws >stdout 2>stderr
refused 5 ../../../../../../../../etc/passwd
refused 7 /etc/passwd
refused 11 ../c2/cube.lwo
refused 15 ../cube.lwo
[ "$(grep -c refused stderr)" -eq 4 ] || fail "lws-info $mode refused other objects: $(cat stderr)"
[ "$(polygons)" = "$cube 0 0 $cube 0 0 0" ] || fail "lws-info $mode loaded: $(polygons)"

# Objects beside the content folder, named "../LWO/...": refused, with a reason that says how to
# allow them, and loaded with --allow on the folder that holds both.
mkdir -p show/Scenes show/LWO && cp "$object" show/LWO/ship.lwo || exit 1
printf 'LWSC\n3\nLoadObjectLayer 1 ../LWO/ship.lwo\nNumChannels 0\nLoadObjectLayer 1 ..\\LWO\\ship.lwo\nNumChannels 0\n' \
  > show/Scenes/beside.lws
"$lws_info" --json show/Scenes/beside.lws >stdout 2>stderr
grep -qF 'line 3: object ../LWO/ship.lwo refused: ' stderr && grep -qF -- '--allow DIR' stderr ||
  fail "lws-info beside: $(cat stderr)"
"$lws_info" --json --allow show show/Scenes/beside.lws >stdout 2>stderr || fail "lws-info --allow -> exit $?"
[ ! -s stderr ] && [ "$(polygons)" = "$cube $cube" ] || fail "lws-info --allow loaded: $(polygons); $(cat stderr)"
"$lws_info" --json --allow show/Scenes/../LWO scenes/paths.lws >stdout 2>stderr
[ "$(grep -c refused stderr)" -eq 4 ] || fail "lws-info --allow on another folder let more in: $(cat stderr)"

finish "hostile files handled"
