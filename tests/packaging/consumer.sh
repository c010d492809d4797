#!/usr/bin/env bash
# The installed readers as another project uses them. Installs the build into a scratch prefix and
# moves it (nothing installed may name where it was put), then:
#   (a) builds consumer/ with find_package against it and runs both programs;
#   (b) builds the same sources with pkg-config's flags alone, and links every object of the
#       three archives into one shared object (position-independent, nothing left undefined);
#   (c) configures consumer/ against an empty prefix, which must fail;
#   (d) compiles every installed header on its own with only the installed headers to include.
# What the programs print is checked against lwo-info and jpeg-info on the same files.
# usage: consumer.sh CMAKE BUILD_DIR SOURCE_DIR LWO_INFO JPEG_INFO LIBDIR INCLUDEDIR [FLAGS]
set -u
cmake=$1 build=$2 source=$3 lwo_info=$4 jpeg_info=$5 libdir=$6 includedir=$7 extra_flags=${8:-}
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1
unset CMAKE_PREFIX_PATH PKG_CONFIG_PATH

consumer=$source/tests/packaging/consumer
object=$source/assets/data/tube.lwo
picture=$source/assets/data/pic04.jpg
flags="-Wall -Wextra -Werror $extra_flags"

# quietly LOG COMMAND...: runs COMMAND with its output in LOG, shown only when it fails.
quietly() {
  local log=$1; shift
  "$@" >"$log" 2>&1 && return 0
  tail -n 20 "$log" >&2
  return 1
}

quietly install.log "$cmake" --install "$build" --prefix "$work/staged" || { echo "FAIL: install" >&2; exit 1; }
mv "$work/staged" "$work/prefix" || exit 1
prefix=$work/prefix
headers=$prefix/$includedir/invitation
[ -d "$headers" ] || { echo "FAIL: nothing installed in $includedir/invitation" >&2; exit 1; }

# What the project's own tools say of the same files.
"$lwo_info" --json "$object" >object.json || exit 1
"$jpeg_info" --json "$picture" >picture.json || exit 1
expected_counts=$(python3 -c '
import json, sys
o = json.load(open(sys.argv[1]))
print("layers: %d" % o["layers"])
print("points: %d" % sum(o["points"]))
print("polygons: %d" % sum(s["polygons"] for s in o["polygonSets"]))
print("surfaces: %d" % len(o["surfaces"]))' object.json) || exit 1
expected_size=$(python3 -c '
import json, sys
o = json.load(open(sys.argv[1]))
print("%dx%d" % (o["width"], o["height"]))' picture.json) || exit 1

# check_programs HOW LWO_COUNTS PICTURE_SIZE: both programs of one build, against the tools.
check_programs() {
  local how=$1 counts=$2 size=$3
  if ! "$counts" "$object" >counts.txt 2>stderr; then
    fail "$how: lwo-counts failed: $(head -n 2 stderr)"
  elif [ "$(cat counts.txt)" != "$expected_counts" ]; then
    fail "$how: lwo-counts printed '$(paste -sd, counts.txt)', lwo-info says '$(echo "$expected_counts" | paste -sd,)'"
  fi
  if ! "$size" "$picture" "$how.png" >size.txt 2>stderr; then
    fail "$how: picture-size failed: $(head -n 2 stderr)"
  elif [ "$(cat size.txt)" != "$expected_size" ]; then
    fail "$how: picture-size printed '$(cat size.txt)', jpeg-info says $expected_size"
  elif [ "$(head -c 4 "$how.png" | tail -c 3)" != PNG ]; then
    fail "$how: picture-size wrote no PNG"
  fi
}

# (a) find_package, from the moved prefix and nowhere else.
if quietly configure.log "$cmake" -S "$consumer" -B by-cmake -DCMAKE_PREFIX_PATH="$prefix" \
     -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_BUILD_TYPE=Release &&
   quietly build.log "$cmake" --build by-cmake; then
  found=$(sed -n 's/^InvitationReaders_DIR:[A-Z]*=//p' by-cmake/CMakeCache.txt)
  case $found in
    "$prefix"/*) ;;
    *) fail "find_package took the package from $found, not from the prefix" ;;
  esac
  check_programs find_package by-cmake/lwo-counts by-cmake/picture-size
else
  fail "the consumer does not build with find_package"
fi

# (b) pkg-config alone.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
for package in invitation-files invitation-lwo-reader invitation-pictures; do
  pkg-config --validate "$package" || fail "$package.pc is not valid"
  [ "$(pkg-config --modversion "$package")" = "$(sed -n 's/^Version: //p' "$PKG_CONFIG_PATH/$package.pc")" ] ||
    fail "$package: no version"
done
case " $(pkg-config --cflags invitation-lwo-reader)" in
  *" -I$prefix/"*) ;;
  *) fail "invitation-lwo-reader's flags do not point into the moved prefix: $(pkg-config --cflags invitation-lwo-reader)" ;;
esac
# shellcheck disable=SC2046,SC2086  # the flags are words
if quietly pc-counts.log c++ -std=c++17 $flags -o pc-lwo-counts "$consumer/main.cpp" \
     $(pkg-config --cflags --libs invitation-lwo-reader) &&
   quietly pc-size.log c++ -std=c++17 $flags -o pc-picture-size "$consumer/picture.cpp" \
     $(pkg-config --cflags --libs invitation-pictures); then
  check_programs pkg-config ./pc-lwo-counts ./pc-picture-size
else
  fail "the consumer does not build with pkg-config's flags"
fi
archives=()
for name in lwo_reader pictures files; do archives+=("$prefix/$libdir/libinvitation_$name.a"); done
# shellcheck disable=SC2046,SC2086
quietly shared.log c++ -shared $extra_flags -o readers.so -Wl,--no-undefined \
  -Wl,--whole-archive "${archives[@]}" -Wl,--no-whole-archive $(pkg-config --libs libjpeg libpng) ||
  fail "the archives do not link into a shared object"
unset PKG_CONFIG_PATH

# (c) An empty prefix: no package. The machine's own folders are left out of the search, so a
# copy installed there changes nothing.
mkdir empty
if "$cmake" -S "$consumer" -B by-empty -DCMAKE_PREFIX_PATH="$work/empty" \
     -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF >empty.log 2>&1; then
  fail "the consumer configured against an empty prefix"
elif ! grep -q 'InvitationReaders' empty.log; then
  fail "against an empty prefix the consumer failed, but not for want of the package: $(tail -n 5 empty.log)"
fi

# (d) Every installed header compiles alone with only the installed headers to include (and
# the system's), so each of its includes, and theirs in turn, is installed.
# platform/whole_file.h and platform/frame_files.h, where the file library's headers were
# installed before it had a folder of its own, forward to files/.
for header in lwo/lwo_mesh.h lwo/lwo_reader.h lwo/lwo_writer.h files/whole_file.h files/frame_files.h \
    platform/whole_file.h platform/frame_files.h \
    texture/jpeg_decoder.h texture/png_writer.h; do
  [ -f "$headers/$header" ] || fail "$header is not installed"
done
while IFS= read -r header; do
  case $header in
    *.h) ;;
    *) fail "$includedir/invitation/$header is not a header" ; continue ;;
  esac
  # shellcheck disable=SC2086  # the flags are words
  printf '#include "%s"\n' "$header" |
    c++ -std=c++17 $flags -fsyntax-only -I"$headers" -x c++ - 2>header.log ||
    fail "installed $header does not compile on its own: $(grep -m 1 'error' header.log)"
done < <(cd "$headers" && find . -type f | sed 's|^\./||' | sort)

# Nothing the readers installed names the scratch prefix, the build or the source tree.
named=$(grep -rlF -e "$work/staged" -e "$build" -e "$source" "$headers" "$prefix/$libdir/cmake/InvitationReaders" \
  "$prefix/$libdir"/pkgconfig/invitation-*.pc)
[ -z "$named" ] || fail "installed files name a build-time path: $named"

finish "the installed readers build and run in a project of their own"
