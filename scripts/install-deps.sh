#!/usr/bin/env bash
# Installs the Debian 12 packages one set needs:
#   play  building the demo and playing it (on a screen, in Xvfb, or into a video file)
#   test  all of play, and the test, fuzzing and benchmark toolchain
# Only what is missing is installed; nothing happens when everything is there.
# usage: install-deps.sh play|test
set -euo pipefail

play=(
  build-essential cmake pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
  libjpeg62-turbo-dev libpng-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libmpg123-dev libopenmpt-dev libmp3lame-dev
  xvfb xauth ffmpeg
)
# The fuzzers need clang and its libFuzzer runtime; the end-to-end tests drive the demo with
# xdotool inside Xvfb; ffprobe comes with ffmpeg.
test=(
  "${play[@]}"
  clang-14 libclang-rt-14-dev libgtest-dev libbenchmark-dev xdotool
)

case "${1:-}" in
  play) packages=("${play[@]}") ;;
  test) packages=("${test[@]}") ;;
  *) echo "usage: $0 play|test" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
