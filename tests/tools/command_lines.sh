#!/usr/bin/env bash
# The file tools' command lines: --help and --version exit 0; an unknown option or a missing or
# malformed value exits 2 with one line naming it, then the usage; an argument starting with
# '-' is never opened as a file unless it comes after "--".
# usage: command_lines.sh VERSION LWO_INFO LWS_INFO LWS_PLAY OBJECT.lwo
set -u
version=$1 lwo_info=$2 lws_info=$3 lws_play=$4 object=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# usage_error NAMED COMMAND...: exit 2, NAMED in the first line on stderr, the usage right
# after it, nothing on stdout.
usage_error() {
  local named=$1; shift
  "$@" >stdout 2>stderr
  local status=$?
  if [ $status -ne 2 ] || ! head -n 1 stderr | grep -qF -- "$named" ||
     ! sed -n 2p stderr | grep -q '^usage: ' || [ -s stdout ]; then
    fail "${*##*/} -> exit $status, expected 2 naming $named; stderr: $(head -n 1 stderr)"
  fi
}

# exits STATUS COMMAND...
exits() {
  local expected=$1; shift
  "$@" >stdout 2>stderr
  local status=$?
  [ $status -eq "$expected" ] || fail "${*##*/} -> exit $status, expected $expected"
}

cp "$object" ./-odd.lwo || exit 1
printf 'LWSC\n1\n\nFirstFrame 1\nLastFrame 2\nFrameStep 1\nFramesPerSecond 30\nCustomSize 64 48\n' > ./-odd.lws
cp ./-odd.lws plain.lws

for tool in "$lwo_info" "$lws_info" "$lws_play"; do
  name=${tool##*/}
  exits 0 "$tool" --help
  head -n 1 stdout | grep -q "^usage: $name " || fail "$name --help does not print the usage"
  exits 0 "$tool" plain.lws --version
  [ "$(cat stdout)" = "$name $version" ] || fail "$name --version printed: $(cat stdout)"
  usage_error --bogus "$tool" --bogus plain.lws
  usage_error -j "$tool" -j plain.lws
  usage_error -odd "$tool" -odd.lws
done

usage_error "no file" "$lwo_info" --json
exits 0 "$lwo_info" --json -- -odd.lwo
exits 1 "$lwo_info" -- --help   # a file of that name, which does not exist
exits 1 "$lwo_info" -           # a file name too, never an option

usage_error "no scene" "$lws_info" --json
usage_error --content "$lws_info" plain.lws --content
usage_error --content "$lws_info" --content --json plain.lws
usage_error other.lws "$lws_info" plain.lws other.lws
exits 0 "$lws_info" --content . -- -odd.lws

for frames in abc -3 '' 1x 99999999999999999999; do
  usage_error --frames "$lws_play" plain.lws --png out --frames "$frames"
done
usage_error --frames "$lws_play" plain.lws --png out --frames
usage_error --frames "$lws_play" plain.lws --png out
usage_error --png "$lws_play" plain.lws --frames 1
usage_error --png "$lws_play" plain.lws --frames 1 --png
usage_error --png "$lws_play" plain.lws --png --frames 1
usage_error --content "$lws_play" plain.lws --content
usage_error other.lws "$lws_play" plain.lws other.lws
[ ! -e out ] || fail "a wrong command line still rendered"
exits 0 "$lws_play" --png out --frames 1 -- -odd.lws
[ -f out/frame_000000.png ] || fail "lws-play -- -odd.lws wrote no frame"

[ $failures -eq 0 ] || exit 1
echo "command lines as expected"
