#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the headless run need.
# Only what is missing is installed; nothing happens when everything is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-14 libclang-rt-14-dev
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
  libjpeg62-turbo-dev libpng-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libmpg123-dev libopenmpt-dev libmp3lame-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool sox ffmpeg
)

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
