#!/usr/bin/env bash
# The programs as `cmake --install` lays them out, used from a folder that holds nothing of
# theirs: the capture draws what the build tree's capture draws (at 2x too, with the pictures
# painted for that size, found in the data folder), the demo finds its soundtrack
# in the data folder and Esc ends it with 0, and without that file it names both places it
# looked in and exits 1.
# usage: installed.sh BUILD_DIR BUILD_TREE_CAPTURE END_TO_END_SCRIPT
set -u
build=$1 built_capture=$2 end_to_end=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "installed.sh: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "install failed"; }
mkdir "$work/elsewhere" && cd "$work/elsewhere" || exit 1

# A few seconds around the banner's entry, where text, sheet and particles all draw.
range=(--fps 4 --from 50 --to 53)
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$prefix/bin/invitation-capture" "${range[@]}" --png installed 2>/dev/null ||
  fail "the installed capture failed"
(cd "$build" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$built_capture" "${range[@]}" --png "$work/built" 2>/dev/null) ||
  fail "the build tree's capture failed"
frames=$(ls installed | wc -l)
[ "$frames" -eq 13 ] || fail "the installed capture wrote $frames frames, expected 13"
# A picture fills the frame at 130 s: without its larger set either side would differ.
sharp=(--fps 4 --from 130 --to 130 --scale 2)
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$prefix/bin/invitation-capture" "${sharp[@]}" --png installed 2>/dev/null ||
  fail "the installed capture failed at 2x"
(cd "$build" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$built_capture" "${sharp[@]}" --png "$work/built" 2>/dev/null) ||
  fail "the build tree's capture failed at 2x"
for frame in installed/*.png; do
  cmp -s "$frame" "$work/built/${frame#installed/}" || fail "$frame differs from the build tree's"
done

"$end_to_end" escape "$prefix/bin/invitation" - || fail "the installed demo did not play and end on Esc"

# Missing music is found out before any window, so no display is needed to see it.
rm "$prefix/share/invitation/inv2.mp3"
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/invitation" 2>"$work/stderr"
status=$?
[ $status -eq 1 ] || fail "without its soundtrack the demo exited $status, expected 1"
[ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "expected one line on stderr, got: $(cat "$work/stderr")"
for place in "$work/elsewhere" "$prefix/share/invitation"; do
  grep -qF "$place" "$work/stderr" || fail "the message does not name $place: $(cat "$work/stderr")"
done
exit 0
