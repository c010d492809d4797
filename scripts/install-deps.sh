#!/usr/bin/env bash
# Installs the Debian 12 packages one set needs:
#   play     building the demo and playing it (on a screen, in Xvfb, or into a video file)
#   package  all of play, and making the Debian package and checking it
#   test     all of package, and the test, fuzzing and benchmark toolchain
#   windows  all of play, and the MinGW-w64 cross toolchain, Wine and what the Windows zip needs
# Only what is missing is installed; nothing happens when everything is there.
# Each step says what it does in one line on standard error; apt's and dpkg's own output goes to
# a log file (named in the first line) which is kept, and whose end is shown with the exit code
# when a step fails.
# usage: install-deps.sh play|package|test|windows
set -euo pipefail

play=(
  build-essential cmake pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
  libjpeg62-turbo-dev libpng-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libmpg123-dev libopenmpt-dev libmp3lame-dev libtinygltf-dev
  xvfb xauth ffmpeg
)
# dpkg-buildflags and dpkg-shlibdeps make the package (CPack runs file to find what
# dpkg-shlibdeps must look at); lintian, appstreamcli and desktop-file-validate check it.
package=(
  "${play[@]}"
  dpkg-dev file lintian appstream desktop-file-utils
)
# The fuzzers need clang and its libFuzzer runtime; the end-to-end tests drive the demo with
# xdotool inside Xvfb; ffprobe comes with ffmpeg. The packaging tests read the man pages with
# man and groff. The glTF files lw2gltf writes are checked by the Khronos validator, an npm
# package (below) that runs on Node.
test=(
  "${package[@]}"
  clang-14 libclang-rt-14-dev libgtest-dev libbenchmark-dev xdotool
  man-db groff-base nodejs
)
# The validator's version the tests were written against.
gltf_validator=gltf-validator@2.0.0-dev.3.10

# The Windows build: MinGW-w64's compilers with POSIX threads (std::thread needs them), NASM for
# libjpeg-turbo's SIMD code, icoutils to pack the icon, Wine to run the tests; libgtest-dev
# brings the test framework's sources, which the cross-build compiles for Windows. The host's
# own build (play) makes the soundtrack and the icon's picture, and is what the frames are
# compared with.
windows=(
  "${play[@]}"
  g++-mingw-w64-x86-64-posix mingw-w64-tools nasm icoutils zip unzip
  wine wine64 libgtest-dev xdotool
)

case "${1:-}" in
  play) packages=("${play[@]}") ;;
  package) packages=("${package[@]}") ;;
  test) packages=("${test[@]}") ;;
  windows) packages=("${windows[@]}") ;;
  *) echo "usage: $0 play|package|test|windows" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node's package manager: Debian's npm, unless the Node installed brings its own.
if [ "$1" = test ] && ! command -v npm >/dev/null; then missing+=(npm); fi
need_validator=false
if [ "$1" = test ] && ! NODE_PATH=$(npm root -g 2>/dev/null) node -e "require('gltf-validator')" 2>/dev/null; then
  need_validator=true
fi
[ ${#missing[@]} -eq 0 ] && ! $need_validator && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps.sh: not root and no sudo; as root run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  # Asked here, while the terminal is still ours: below, sudo's output goes to the log.
  sudo -v
  sudo=(sudo)
fi

log=$(mktemp "${TMPDIR:-/tmp}/invitation-install-deps.XXXXXX.log")

# step DESCRIPTION COMMAND...: runs COMMAND as root with its output in the log, on one line.
step() {
  local what=$1 status=0 from
  shift
  printf 'install-deps.sh: %s ... ' "$what" >&2
  echo "== $what: $*" >>"$log"
  from=$(wc -l <"$log")
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "$@" </dev/null >>"$log" 2>&1 || status=$?
  if [ $status -ne 0 ]; then
    echo "failed (exit code $status)" >&2
    echo "install-deps.sh: the end of what it printed (all of it in $log):" >&2
    tail -n +"$((from + 1))" "$log" | tail -n 40 >&2
    exit $status
  fi
  echo "done" >&2
}

if [ ${#missing[@]} -gt 0 ]; then
  count="${#missing[@]} packages"
  [ ${#missing[@]} -eq 1 ] && count="1 package"
  echo "install-deps.sh: $count missing: ${missing[*]} (apt's output: $log)" >&2
  apt=(apt-get -y -o Dpkg::Use-Pty=0)
  step "updating package lists" "${apt[@]}" update
  step "installing $count" "${apt[@]}" install --no-install-recommends "${missing[@]}"
fi
if $need_validator; then
  step "installing $gltf_validator from the npm registry" npm install -g --no-fund --no-audit "$gltf_validator"
fi
