#!/usr/bin/env bash
# The menu entry as installed: the desktop file and the metainfo pass the validators a
# distribution runs, the metainfo's launchable is the installed desktop file and its release is
# this version, every program the entry or the metainfo names is installed, and the icon the
# entry names is installed at every size as a PNG of that size.
# usage: desktop.sh CMAKE BUILD_DIR VERSION
set -u
cmake=$1 build=$2 version=$3
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1

for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream; do
  command -v "${tool%%:*}" >/dev/null || { echo "FAIL: ${tool%%:*} is missing (Debian package ${tool#*:})" >&2; exit 1; }
done
"$cmake" --install "$build" --prefix "$work/usr" >install.log 2>&1 || { cat install.log >&2; exit 1; }
share=$work/usr/share
id=org.invitationdemo.Invitation
entry=$share/applications/$id.desktop
metainfo=$share/metainfo/$id.metainfo.xml
[ -f "$entry" ] && [ -f "$metainfo" ] || { echo "FAIL: $id.desktop or its metainfo is not installed" >&2; exit 1; }

# desktop-file-validate exits 0 on warnings and hints; it should have nothing at all to say.
desktop-file-validate "$entry" >validate.out 2>&1
[ $? -eq 0 ] && [ ! -s validate.out ] || fail "desktop-file-validate: $(cat validate.out)"
# validate-tree also fails when the launchable names a desktop file the tree does not hold.
appstreamcli validate-tree --no-net "$work" >appstream.out 2>&1 ||
  fail "appstreamcli validate-tree: $(grep -E '^ +[EW]:' appstream.out)"
grep -q "<release version=\"$version\" " "$metainfo" || fail "the metainfo has no release $version"

# is_program NAME WHO: NAME is an installed program.
is_program() { [ -x "$work/usr/bin/$1" ] || fail "$2 names $1, which is not installed in bin/"; }
for exec in $(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry"); do is_program "$exec" "Exec"; done
for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do is_program "$binary" "<binary>"; done

icon=$(sed -n 's/^Icon=//p' "$entry")
[ "$icon" = "$id" ] || fail "Icon=$icon, expected $id"
for size in 256 128 64 48 32; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  [ -f "$png" ] || { fail "no $size x $size icon $png"; continue; }
  # The signature, then IHDR's width and height (big-endian) and bit depth 8, colour type 6 (RGBA).
  read -r -a header <<<"$(od -An -tu1 -w26 -N26 "$png")"
  signature="${header[*]:0:8}" chunk=$(printf '%b' "$(printf '\\%03o' "${header[@]:12:4}")")
  width=$(( header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19] ))
  height=$(( header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23] ))
  [ "$signature" = "137 80 78 71 13 10 26 10" ] && [ "$chunk" = IHDR ] ||
    { fail "$png is not a PNG"; continue; }
  [ "$width $height ${header[24]} ${header[25]}" = "$size $size 8 6" ] ||
    fail "$png: ${width}x$height, depth ${header[24]}, colour type ${header[25]}; expected ${size}x$size RGBA"
done

finish "the menu entry, its metainfo and its icons are installed and valid"
