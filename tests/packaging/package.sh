#!/usr/bin/env bash
# The Debian package made from this build: it holds what a user and a reusing developer need,
# its programs run from an unpacked copy, and lintian finds no error in it.
# usage: package.sh BUILD_DIR VERSION OBJECT.lwo
set -u
build=$1 version=$2 object=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package.sh: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$work/invitation_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"

dpkg-deb --contents "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/invitation /usr/bin/invitation-capture /usr/bin/lwo-info /usr/bin/lws-info \
  /usr/bin/lws-play /usr/bin/lw2gltf /usr/bin/jpeg-info /usr/share/man/man1/invitation.1.gz \
  /usr/share/man/man1/lw2gltf.1.gz \
  /usr/share/man/man1/invitation-capture.1.gz /usr/share/man/man1/lwo-info.1.gz \
  /usr/share/applications/org.invitationdemo.Invitation.desktop \
  /usr/share/icons/hicolor/256x256/apps/org.invitationdemo.Invitation.png \
  /usr/share/metainfo/org.invitationdemo.Invitation.metainfo.xml /usr/share/invitation/inv2.mp3 \
  /usr/share/invitation/pictures-2x/pic10.jpg /usr/share/invitation/pictures-4x/pic10.jpg /usr/include/invitation/lwo/lwo_reader.h /usr/share/doc/invitation/copyright; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
# In /usr/lib/<multiarch> when configured for /usr (scripts/package.sh), else in /usr/lib.
for pattern in '/usr/lib/([^/]*/)?cmake/InvitationReaders/InvitationReadersConfig\.cmake' \
  '/usr/lib/([^/]*/)?pkgconfig/invitation-lwo-reader\.pc' '/usr/lib/([^/]*/)?libinvitation_lwo_reader\.a'; do
  grep -Eqx "$pattern" "$work/contents" || fail "the package has nothing matching $pattern"
done

# Dependencies computed from the binaries, and the video encoder only recommended.
fields=$(dpkg-deb --field "$deb" Depends Recommends)
grep -q '^Depends:.*libsdl2' <<<"$fields" || fail "Depends does not come from the binaries: $fields"
grep -q '^Recommends: ffmpeg' <<<"$fields" || fail "ffmpeg is not recommended: $fields"
# What SDL and Mesa load at run time, which no binary links: the offscreen capture opens
# libEGL, and drawing without a GPU needs Mesa's DRI driver. dpkg-shlibdeps cannot see either.
for needed in libegl1 libgl1-mesa-dri fonts-liberation; do
  grep -q "^Depends:.*\b$needed\b" <<<"$fields" || fail "Depends lacks $needed: $fields"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for program in invitation invitation-capture lwo-info lws-info lws-play lw2gltf jpeg-info; do
  [ "$("$root/usr/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
done
"$root/usr/bin/lwo-info" "$object" >/dev/null || fail "lwo-info cannot read $object"
# It finds its soundtrack in the unpacked data folder, so what it lacks here is a display.
# No display at all, SDL's offscreen driver included (the test pass sets it): the show must not
# start, and a slip here must not play it for three minutes.
(cd "$work" && timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$root/usr/bin/invitation" 2>"$work/stderr")
status=$?
[ $status -eq 2 ] || fail "the unpacked demo exited $status, expected 2 (no display): $(cat "$work/stderr")"
(cd "$work" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$root/usr/bin/invitation-capture" \
  --from 60 --to 60 --png frames 2>/dev/null) || fail "the unpacked capture failed"
[ -s "$work/frames/frame_003600.png" ] || fail "the unpacked capture wrote no frame"

# lintian leaves a cache file in its temp folder: it goes with ours.
mkdir "$work/tmp"
TMPDIR="$work/tmp" lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
status=$?
cat "$work/lintian.log" >&2
[ $status -eq 0 ] || fail "lintian reports errors"
exit 0
