#!/usr/bin/env bash
# Builds the demo and plays it from build/, the folder that holds its soundtrack, inv2.mp3.
#
#   scripts/play.sh [--xvfb] [--size WxH] [demo arguments...]
#
# With a display: plays on it, passing the demo arguments on; the exit code is the demo's.
# Without one, or with --size: renders the whole show with its soundtrack to
# build/invitation.mp4 (30 frames/s, 800x600 unless --size says otherwise).
# --xvfb: plays to the end inside a virtual X server with silent audio.
set -euo pipefail
cd "$(dirname "$0")/.."

usage_error() {
  echo "play.sh: $1" >&2
  echo "usage: scripts/play.sh [--xvfb] [--size WxH] [demo arguments...]" >&2
  exit 2
}

xvfb=0
size=""
while [ $# -gt 0 ]; do
  case $1 in
    --xvfb) xvfb=1; shift ;;
    --size)
      [[ ${2:-} =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]] || usage_error "--size wants WIDTHxHEIGHT, e.g. 1920x1080"
      size=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

if [ -n "$size" ]; then
  [ $xvfb -eq 0 ] || usage_error "--size is the size of the video; --xvfb plays instead"
  mode=video
elif [ $xvfb -eq 1 ]; then
  mode=xvfb
elif [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  mode=display
else
  mode=video
fi
if [ $mode = video ] && [ $# -gt 0 ]; then
  usage_error "demo arguments need a display or --xvfb; without them the show goes to a video"
fi

scripts/install-deps.sh play
# build/ is the user's build (cmake --install build installs from it); scripts/test.sh builds
# elsewhere. Made here, it leaves out the tests and benchmarks, whose libraries the play set of
# packages does not install; one configured otherwise by hand keeps its options.
options=()
[ -f build/CMakeCache.txt ] || options=(-DDEMO_TESTS=OFF -DDEMO_BENCH=OFF)
cmake -S . -B build "${options[@]}" >/dev/null
if [ $mode = video ]; then
  cmake --build build -j "$(nproc)" --target invitation-capture soundtrack
else
  cmake --build build -j "$(nproc)" --target invitation soundtrack
fi
cd build

case $mode in
display)
  exec ./invitation "$@" ;;
xvfb)
  echo "playing inside Xvfb with silent audio (SDL_AUDIODRIVER=dummy)" >&2
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
  exec xvfb-run -a -s "-screen 0 1920x1080x24" ./invitation "$@" ;;
video)
  if [ -n "$size" ]; then
    echo "rendering the show at $size to build/invitation.mp4" >&2
  else
    echo "no display: rendering the show to build/invitation.mp4" >&2
  fi
  ./invitation-capture --fps 30 ${size:+--size "$size"} --video invitation.mp4
  bytes=$(stat -c %s invitation.mp4)
  seconds=$(ffprobe -v error -show_entries format=duration -of default=noprint_wrappers=1:nokey=1 invitation.mp4)
  awk -v path="$PWD/invitation.mp4" -v bytes="$bytes" -v seconds="$seconds" \
    'BEGIN { printf "%s: %.1f MB, %.1f s\n", path, bytes / 1e6, seconds }' ;;
esac
