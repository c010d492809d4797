#!/usr/bin/env bash
# The Windows pass: builds the Windows programs, their tests and the zip (package-windows.sh),
# then runs the tests under Wine inside Xvfb: the readers' and effects' unit tests through ctest
# with Wine as the cross-compiling emulator, and the end-to-end checks of the programs against
# the host's build (tests/windows/). scripts/test.sh runs it after the Linux passes.
#   scripts/test-windows.sh [--screenshot FILE.png]
# --screenshot also plays the show full screen on the 1920x1080 screen and grabs it into FILE.
# Wine's own state lives in build-windows/wine/, made on the first run; the tests' scratch files
# in a fresh build-windows/test-tmp/, which must be empty afterwards.
set -euo pipefail
{
cd "$(dirname "$0")/.."
screenshot=""
case "${1:-}" in
  --screenshot) screenshot=$(realpath -m "${2:?--screenshot needs a file}") ;;
  "") ;;
  *) echo "usage: $0 [--screenshot FILE.png]" >&2; exit 2 ;;
esac
start=$SECONDS

export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all WINEARCH=win64
# No offer to install .NET or a browser engine into the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The host's SDL drivers are set per program by the checks; Windows' SDL has no offscreen one.
unset SDL_VIDEODRIVER

DEMO_WINDOWS_TESTS=ON scripts/package-windows.sh
built=$SECONDS

screen=(xvfb-run -a -s "-screen 0 1920x1080x24")

scratch=$PWD/build-windows/test-tmp
rm -rf "$scratch"
mkdir -p "$scratch"
# One Wine server for the whole pass, rather than one started and stopped with each program. Wine
# keeps its socket under TMPDIR, so the server must see the tests' TMPDIR to be theirs.
# A new prefix is made, and its first start finished, before any test's time starts running.
[ -e "$WINEPREFIX/system.reg" ] || echo "test-windows.sh: making the Wine prefix build-windows/wine/" >&2
mkdir -p "$WINEPREFIX"
TMPDIR=$scratch wineserver -p
TMPDIR=$scratch "${screen[@]}" wine wineboot -u >/dev/null 2>&1
# The Windows programs keep their scratch files in Windows' temporary folder, which Wine keeps in
# the prefix: it too must be as empty afterwards as before.
wine_temp=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Temp
mkdir -p "$wine_temp"
find "$wine_temp" -mindepth 1 -name 'demo-*' -exec rm -rf {} +
status=0
# Wine's desktop is held open on the tests' screen from before the first test to after the last
# (tests/windows/hold_desktop.cpp says why); its word that it holds it goes to a file, not a pipe.
tests_on_held_desktop() {
  local said=$scratch/hold_desktop.said code=0
  wine build-windows/build/tests/windows/hold_desktop.exe </dev/null >/dev/null 2>"$said" &
  local holder=$!
  for _ in $(seq 600); do
    grep -q "holding the desktop" "$said" 2>/dev/null && break
    kill -0 $holder 2>/dev/null || break
    sleep 0.1
  done
  grep -q "holding the desktop" "$said" 2>/dev/null ||
    { echo "test-windows.sh: Wine's desktop was not held within 60 s: $(cat "$said")" >&2; code=1; }
  [ "$code" -ne 0 ] || ctest --test-dir build-windows/build --output-on-failure -j 2 || code=$?
  kill $holder 2>/dev/null || true
  wait $holder 2>/dev/null || true
  rm -f "$said"
  return $code
}
TMPDIR=$scratch scratch=$scratch "${screen[@]}" bash -c "$(declare -f tests_on_held_desktop); tests_on_held_desktop" ||
  status=$?
if [ -n "$screenshot" ]; then
  WINDOWS_SCREENSHOT=$screenshot TMPDIR=$scratch "${screen[@]}" bash tests/windows/windows_checks.sh screenshot \
    "$PWD" "$PWD/build-windows/host" "$PWD/build-windows/build" "" || status=$?
fi
TMPDIR=$scratch wineserver -k 2>/dev/null || true
# The server's socket folder is Wine's, not a test's leftover.
rm -rf "$scratch"/wine-*
if [ -n "$(find "$wine_temp" -mindepth 1 -name 'demo-*')" ]; then
  echo "test-windows.sh: the Windows programs left these in Windows' temporary folder:" >&2
  find "$wine_temp" -mindepth 1 -name 'demo-*' >&2
  status=1
fi
if [ -n "$(ls -A "$scratch")" ]; then
  echo "test-windows.sh: the tests left these in the temp folder $scratch:" >&2
  (cd "$scratch" && find . -mindepth 1 | sort) >&2
  status=1
fi
rm -rf "$scratch"
echo "test-windows.sh: build $((built - start)) s, tests $((SECONDS - built)) s" >&2
exit $status
}
