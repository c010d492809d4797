#!/usr/bin/env bash
# End-to-end checks of the Windows programs under Wine, against the host's own build where the
# output must match. Registered with ctest by CMakeLists.txt here (one check a test); run by
# scripts/test-windows.sh inside Xvfb, with WINEPREFIX and WINEDEBUG set.
#   windows_checks.sh CHECK SOURCE_DIR HOST_BUILD WINDOWS_BUILD ZIP
set -euo pipefail
check=$1 source=$2 host=$3 build=$4 zip=$5
scratch=$(mktemp -d "${TMPDIR:-/tmp}/windows-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# wine_run PROGRAM ARGS...: a Windows program with SDL's default drivers for Windows, except
# sound: Wine has no sound endpoint here.
wine_run() {
  env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy wine "$@"
}
host_run() { SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$@"; }
# Windows' text mode ends lines with CR LF; the text is otherwise the host's.
no_cr() { tr -d '\r'; }
fail() { echo "FAILED: $*" >&2; exit 1; }

# A capture that fails says so, with the last of what it printed, and is given one more try:
# Wine's own state can fail a program's start (once in CI a capture ended early without a word
# kept). A fault of the program that repeats fails both tries; the frames are compared either way.
run_capture() {
  local try code
  for try in first second; do
    code=0
    "$@" >"$scratch/said" 2>&1 || code=$?
    [ "$code" -eq 0 ] && return
    echo "${*:2}: exit $code on the $try try: $(no_cr <"$scratch/said" | tail -5)" >&2
  done
  fail "${*:2} failed twice"
}

# The usual 19 frames: every 15 s at 10 fps from 5 s, every 15 s at 60 fps from 50 s.
capture_frames() {
  local run=$1 capture=$2 dir=$3
  run_capture $run "$capture" --fps 10 --from 5 --to 170 --step 150 --png "$dir/10"
  run_capture $run "$capture" --fps 60 --from 50 --to 140 --step 900 --png "$dir/60"
}

psnr() { ffmpeg -nostdin -hide_banner -i "$1" -i "$2" -lavfi psnr -f null - 2>&1 | sed -n 's/.*average:\([^ ]*\).*/\1/p'; }

check_frames() {
  capture_frames host_run "$host/invitation-capture" "$scratch/linux"
  capture_frames wine_run "$build/invitation-capture.exe" "$scratch/windows"
  local count=0 differ=0
  for frame in "$scratch"/linux/*/*.png; do
    local other=$scratch/windows/${frame#"$scratch"/linux/}
    [ -f "$other" ] || fail "no Windows frame for ${frame#"$scratch"/linux/}"
    count=$((count + 1))
    if ! cmp -s "$frame" "$other"; then
      differ=$((differ + 1))
      echo "${frame#"$scratch"/linux/}: differs, PSNR $(psnr "$frame" "$other") dB" >&2
    fi
  done
  echo "$count frames compared, $differ differ" >&2
  [ "$count" -eq 19 ] || fail "expected 19 frames, got $count"
  [ "$differ" -eq 0 ] || fail "$differ of the frames differ from the Linux build's"
}

check_readers() {
  local count=0
  for file in "$source"/tests/data/lwo/*.lwo; do
    host_run "$host/tools/lwo-info" --json "$file" >"$scratch/linux.json" 2>&1 || true
    wine_run "$build/tools/lwo-info.exe" --json "$file" 2>&1 | no_cr >"$scratch/windows.json" || true
    cmp -s "$scratch/linux.json" "$scratch/windows.json" || { diff "$scratch/linux.json" "$scratch/windows.json" | head >&2; fail "lwo-info --json $file"; }
    count=$((count + 1))
  done
  for file in "$source"/tests/data/lws/*.lws; do
    host_run "$host/tools/lws-info" --json --at -10,0,1,15,45,120 "$file" >"$scratch/linux.json" 2>&1 || true
    wine_run "$build/tools/lws-info.exe" --json --at -10,0,1,15,45,120 "$file" 2>&1 | no_cr >"$scratch/windows.json" || true
    cmp -s "$scratch/linux.json" "$scratch/windows.json" || { diff "$scratch/linux.json" "$scratch/windows.json" | head >&2; fail "lws-info --json --at $file"; }
    count=$((count + 1))
  done
  echo "$count files read alike" >&2
}

# wait_for_window PID: the show's window id on stdout, once it is there (60 s at most).
wait_for_window() {
  local window=""
  for _ in $(seq 60); do
    window=$(xdotool search --name "^demo engine$" 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 1
  done
  [ -n "$window" ] || { kill "$1"; fail "no window named \"demo engine\" within 60 s"; }
  echo "$window"
}

# end_with_escape PID WINDOW: Escape to the show; the exit code must be 0 (Wine passes it on).
end_with_escape() {
  xdotool windowactivate --sync "$2" key Escape 2>/dev/null || xdotool key --window "$2" Escape
  local code=0
  wait "$1" || code=$?
  [ "$code" -eq 0 ] || fail "Escape ended the show with $code, not 0"
}

check_escape() {
  (cd "$build" && wine_run invitation.exe --window) &
  local demo=$! window
  window=$(wait_for_window $demo)
  sleep 3
  end_with_escape $demo "$window"
}

# Not a test: the show full screen on the whole (1920x1080) screen, letterboxed, grabbed as a
# picture into $WINDOWS_SCREENSHOT for a person to look at. Without a window manager the full
# screen window never gets the keyboard here, so the run is ended through Wine instead.
check_screenshot() {
  (cd "$build" && wine_run invitation.exe --start 20) &
  local demo=$!
  wait_for_window $demo >/dev/null
  # The late start's fast-forward takes a while under Wine.
  sleep 25
  ffmpeg -nostdin -v error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$WINDOWS_SCREENSHOT"
  wineserver -k
  wait $demo || true
}

check_no_music() {
  cp "$build/invitation.exe" "$build/libmpg123-0.dll" "$scratch/"
  local code=0
  (cd "$scratch" && wine_run invitation.exe --window 2>"$scratch/said") || code=$?
  [ "$code" -eq 1 ] || fail "without inv2.mp3 the exit code is $code, not 1"
  grep -q "inv2.mp3 is neither" "$scratch/said" || fail "no word of the missing soundtrack: $(cat "$scratch/said")"
}

# Music shorter than the show (its first 100 KB, about 4 s), started near the end: the show
# plays on past the music to its own end, exits 1, and says once where the music ended.
check_short_music() {
  cp "$build/invitation.exe" "$build/libmpg123-0.dll" "$scratch/"
  head -c 100000 "$build/inv2.mp3" >"$scratch/inv2.mp3"
  local code=0
  (cd "$scratch" && timeout -s KILL 280 env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy wine invitation.exe --start 170 --window 2>"$scratch/said") ||
    code=$?
  [ "$code" -eq 1 ] || fail "music shorter than the show: exit $code, not 1 at the show's end: $(tail -3 "$scratch/said")"
  [ "$(no_cr <"$scratch/said" | grep -c "^music: the music ended at [0-9.]* s; the show goes on without it$")" = 1 ] ||
    fail "no one line saying where the music ended: $(cat "$scratch/said")"
}

# --window WxH gives a window of that size; --loop starts over at the end instead of ending
# (--sharp drawing it at that size meanwhile); F11 turns the window into the full screen and
# back; Escape then ends it with 0.
check_window_keys() {
  (cd "$build" && wine_run invitation.exe --window 1024x768 --loop --sharp --start 174) &
  local demo=$! window
  window=$(wait_for_window $demo)
  window_size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
  [ "$(window_size)" = 1024x768 ] || { kill $demo; fail "--window 1024x768 gave a window of $(window_size)"; }
  # The show ends at 175.5 s: a show that loops is still there well after.
  sleep 8
  kill -0 $demo 2>/dev/null || fail "--loop: the show ended at its end instead of starting over"
  xdotool windowactivate --sync "$window" key F11 2>/dev/null || xdotool key --window "$window" F11
  local full=""
  for _ in $(seq 20); do
    [ "$(window_size)" = 1920x1080 ] && full=yes && break
    sleep 0.5
  done
  [ -n "$full" ] || { kill $demo; fail "F11 left the window at $(window_size), not the 1920x1080 screen"; }
  xdotool windowactivate --sync "$window" key F11 2>/dev/null || xdotool key --window "$window" F11
  for _ in $(seq 20); do
    [ "$(window_size)" = 1024x768 ] && full="" && break
    sleep 0.5
  done
  [ -z "$full" ] || { kill $demo; fail "a second F11 left the show at $(window_size), not back in its 1024x768 window"; }
  end_with_escape $demo "$window"
}

# --mode-switch on a screen that offers no 800x600 mode: full screen at the screen's own size,
# with one line saying so; Escape then ends it with 0 (the window's GL objects are let go after
# its context, which must not reach the driver).
check_mode_switch() {
  (cd "$build" && wine_run invitation.exe --mode-switch 2>"$scratch/said") &
  local demo=$! window
  window=$(wait_for_window $demo)
  sleep 3
  local size
  size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  [ "$size" = 1920x1080 ] || { kill $demo; fail "--mode-switch without the mode gave a window of $size"; }
  end_with_escape $demo "$window"
  grep -q "the display offers no 800x600 mode; playing full screen at its own resolution" "$scratch/said" ||
    fail "no word of the missing mode: $(cat "$scratch/said")"
}

check_bad_option() {
  local code=0
  (cd "$build" && wine_run invitation.exe --no-such-option 2>"$scratch/said") || code=$?
  [ "$code" -eq 2 ] || fail "a wrong option gives $code, not 2"
  grep -q "unknown option --no-such-option" "$scratch/said" || fail "no one-line message: $(cat "$scratch/said")"
}

# Unpacked into a folder with spaces and letters beyond ASCII, the programs start there, read
# files named so, and need no DLL from outside the zip nor carry one they do not need.
check_zip() {
  local folder="$scratch/Zaproszenie na imprezę — ü ö"
  mkdir -p "$folder"
  (cd "$folder" && unzip -q "$zip")
  local unpacked
  unpacked=$(echo "$folder"/invitation-*)
  cp "$source/tests/data/lwo/uvtest.lwo" "$folder/obiekt żółw.lwo"
  (cd "$unpacked" && wine_run lwo-info.exe --json "../obiekt żółw.lwo") | no_cr >"$scratch/windows.json" ||
    fail "lwo-info.exe from the unpacked zip could not read a file named with non-ASCII letters"
  (cd "$unpacked" && host_run "$host/tools/lwo-info" --json "../obiekt żółw.lwo") >"$scratch/linux.json"
  cmp -s "$scratch/linux.json" "$scratch/windows.json" || fail "lwo-info.exe's output differs from the unpacked folder"
  (cd "$unpacked" && wine_run invitation.exe --version) >/dev/null || fail "invitation.exe --version from the unpacked zip"
  # A show drawn at four times the size finds the pictures painted for it beside the program.
  (cd "$unpacked" && wine_run invitation-capture.exe --null --scale 4 --from 1 --to 1) 2>"$scratch/said" >/dev/null ||
    fail "invitation-capture.exe --scale 4 from the unpacked zip: $(tail -1 "$scratch/said")"
  grep -q "are not installed" "$scratch/said" && fail "the zip's picture sets were not found: $(cat "$scratch/said")"
  local wanted="kernel32|user32|gdi32|opengl32|glu32|msvcrt|imm32|winmm|version|setupapi|ole32|oleaut32|shell32|shlwapi|advapi32|libmpg123-0"
  for program in "$unpacked"/*.exe "$unpacked"/*.dll; do
    x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//' |
      grep -vxE "$wanted|api-ms-win-.*" && fail "$(basename "$program") needs a DLL from outside the zip"
  done
  local dlls
  dlls=$(cd "$unpacked" && ls ./*.dll | xargs -n1 basename)
  [ "$dlls" = "libmpg123-0.dll" ] || fail "the zip holds DLLs it need not: $dlls"
  local imports
  imports=$(x86_64-w64-mingw32-objdump -p "$unpacked/invitation.exe")
  grep -qi "DLL Name: libmpg123-0.dll" <<<"$imports" || fail "invitation.exe does not use the mpg123 DLL beside it"
}

# Ctrl-C during a capture: the frames written so far are kept, whole, and the exit code says so.
check_ctrl_c() {
  wine_run "$build/invitation-capture.exe" --fps 10 --from 0 --to 170 --png "$scratch/frames" 2>"$scratch/said" &
  local capture=$!
  for _ in $(seq 120); do
    [ "$(ls "$scratch/frames" 2>/dev/null | grep -c '\.png$')" -ge 3 ] && break
    sleep 0.5
  done
  # Wine turns SIGINT to the program's process into the console's Ctrl-C event.
  pkill -INT -f "invitation-capture.exe --fps 10 --from 0 --to 170 --png $scratch/frames" || true
  local code=0
  wait "$capture" || code=$?
  [ "$code" -eq 130 ] || fail "Ctrl-C ended the capture with $code, not 130: $(tail -3 "$scratch/said")"
  local written
  written=$(ls "$scratch/frames" | grep -c '\.png$')
  [ "$written" -ge 3 ] && [ "$written" -lt 1700 ] || fail "$written frames after Ctrl-C"
  for frame in "$scratch"/frames/*.png; do
    ffmpeg -nostdin -v error -i "$frame" -f null - || fail "$(basename "$frame") is cut short"
  done
  [ -z "$(ls -A "$scratch/frames" | grep -v '\.png$')" ] || fail "the staging folder was left behind"
}

"check_$check"
