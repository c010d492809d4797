#!/usr/bin/env bash
# jpeg-info as a user and a script run it: its command line (exit 2; --help, --version and the
# shape of a usage error are every_program.sh's), the exit status over good and refused files,
# the JSON keys (parsed by python3), one stderr line per refused file naming it, and the
# pictures --png writes.
# usage: jpeg_info.sh JPEG_INFO PICTURE.jpg TESTDATA_DIR
set -u
jpeg_info=$1 picture=$2 testdata=$3
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1

# run STATUS ARGS...: runs jpeg-info, keeping stdout and stderr, and checks the exit status.
run() {
  local expected=$1; shift
  "$jpeg_info" "$@" >stdout 2>stderr
  local status=$?
  [ $status -eq "$expected" ] || fail "jpeg-info $* -> exit $status, expected $expected; stderr: $(head -n 2 stderr)"
}

cp "$picture" good.jpg || exit 1
cp "$picture" ./-odd.jpg
python3 - good.jpg <<'EOF' || exit 1
import sys
data = open(sys.argv[1], 'rb').read()
assert data[2:4] == b'\xff\xe0', 'expected a JFIF segment first'
after = 4 + (data[4] << 8 | data[5])
# Stray bytes between two markers: a warning for the library, not damage.
open('stray.jpg', 'wb').write(data[:after] + b'\x00\x13\x37\x00' + data[after:])
# Cut in the middle of the scan data.
scan = data.index(b'\xff\xda')
open('truncated.jpg', 'wb').write(data[:(scan + len(data)) // 2])
open('text.jpg', 'w').write('not a picture\n')
EOF

usage_error "no file" "$jpeg_info" --json
usage_error -j "$jpeg_info" -j good.jpg
usage_error -odd "$jpeg_info" -odd.jpg
usage_error --png "$jpeg_info" good.jpg --png
usage_error --png "$jpeg_info" --png --json good.jpg
usage_error --png "$jpeg_info" --png a --png b good.jpg
[ ! -e a ] && [ ! -e b ] || fail "a wrong command line still made a folder"

run 0 -- -odd.jpg
head -n 1 stdout | grep -q '^-odd.jpg: ok, ' || fail "readable summary: $(head -n 1 stdout)"

# One object per file, in order; every refused file named on stderr, once.
run 1 --json good.jpg stray.jpg truncated.jpg text.jpg missing.jpg
[ "$(wc -l <stderr)" -eq 3 ] || fail "expected three stderr lines, got: $(cat stderr)"
for refused in truncated.jpg text.jpg missing.jpg; do
  grep -q "^jpeg-info: $refused: " stderr || fail "stderr does not name $refused"
done
python3 - stdout <<'EOF' || fail "JSON output: see above"
import json, sys
lines = open(sys.argv[1]).read().splitlines()
objects = [json.loads(line) for line in lines]  # stdout is JSON only
keys = {'file', 'ok', 'error', 'width', 'height', 'components', 'colourSpace', 'meanRGB'}
assert [o['file'] for o in objects] == ['good.jpg', 'stray.jpg', 'truncated.jpg', 'text.jpg', 'missing.jpg'], lines
for o in objects:
    assert keys <= o.keys(), (o['file'], keys - o.keys())
good, stray, truncated, text, missing = objects
assert good['ok'] and good['error'] is None, good
assert good['components'] == 3 and good['colourSpace'] == 'YCbCr', good
assert good['width'] > 0 and good['height'] > 0, good
assert len(good['meanRGB']) == 3 and all(0 <= v <= 255 for v in good['meanRGB']), good
assert stray['ok'] and stray['warnings'], stray
assert stray['meanRGB'] == good['meanRGB'], 'stray bytes changed the picture'
assert not truncated['ok'] and truncated['meanRGB'] is None, truncated
assert truncated['error'] == 'truncated.jpg: Premature end of JPEG file', truncated
assert truncated['width'] == good['width'], 'the header of a truncated file is still reported'
assert not text['ok'] and text['error'].startswith('text.jpg: Not a JPEG file'), text
assert text['width'] is None, text
assert not missing['ok'] and missing['error'].startswith('missing.jpg: cannot be opened'), missing
EOF

# --png makes the folder and writes each decoded picture once, under its own name.
mkdir other && cp good.jpg other/good.jpg
run 1 --png out/new good.jpg truncated.jpg other/good.jpg
for png in out/new/good.png out/new/good-2.png; do
  [ "$(head -c 8 "$png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
done
[ "$(ls out/new | wc -l)" -eq 2 ] || fail "--png wrote: $(ls out/new)"
touch blocked
run 1 --png blocked good.jpg
grep -q '^jpeg-info: blocked: ' stderr || fail "a file in the way of --png: $(cat stderr)"

run 0 --json "$testdata/jpeg/cmyk.jpg"
python3 -c '
import json, sys
o = json.loads(open("stdout").read())
assert o["ok"] and o["components"] == 4 and o["colourSpace"] == "CMYK", o
' || fail "cmyk.jpg"

finish "jpeg-info as expected"
