#!/usr/bin/env bash
# Builds the demo and plays it from the folder that holds its soundtrack, inv2.mp3.
# Without a display it plays inside a virtual X server with silent audio, to the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target demo soundtrack
cd build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: playing inside Xvfb with silent audio (SDL_AUDIODRIVER=dummy)" >&2
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
  exec xvfb-run -a -s "-screen 0 800x600x24" ./demo
fi
exec ./demo
