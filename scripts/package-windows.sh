#!/usr/bin/env bash
# Makes the Windows zip build-windows/invitation-VERSION-windows-x64.zip on this Linux machine,
# with MinGW-w64:
#   scripts/package-windows.sh
# 1. installs what it needs (install-deps.sh windows) and fetches the libraries' Debian source
#    packages (adding a deb-src entry for the system's Debian release when there is none);
# 2. cross-builds the libraries into build-windows/prefix/, each once: a library whose stamp
#    names the same tarball and build recipe is not built again, so a second run goes straight
#    to the project;
# 3. builds the host's own programs in build-windows/host/ (they make the soundtrack and the
#    icon's picture, as in the Linux build);
# 4. cross-builds the project in build-windows/build/ and packs the zip.
# With DEMO_WINDOWS_TESTS=ON (scripts/test-windows.sh) it builds the Windows tests too.
# Everything is linked statically except mpg123, which is LGPL and ships as a DLL beside the
# programs with its licence, so that users can replace it. The module player (libopenmpt) is
# left out of the Windows build.
set -euo pipefail
# Read whole before it runs: an edit while it runs cannot change what it does half-way.
{
cd "$(dirname "$0")/.."
[ $# -eq 0 ] || { echo "package-windows.sh: takes no arguments" >&2; exit 2; }

top=$PWD/build-windows
sources=$top/sources
prefix=$top/prefix
toolchain=$PWD/scripts/mingw-w64-toolchain.cmake
host=x86_64-w64-mingw32
jobs=$(nproc)
# Where ccache is installed, rebuilding after a change compiles only what changed.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
libraries=(zlib libpng1.6 libjpeg-turbo freetype libsdl2 mpg123)

say() { echo "package-windows.sh: $*" >&2; }

scripts/install-deps.sh windows
mkdir -p "$sources" "$prefix"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

# A deb-src entry mirroring the system's own deb entry, for the same release's main component.
add_source_entry() {
  local list=/etc/apt/sources.list.d/debian.sources entry=/etc/apt/sources.list.d/invitation-deb-src.sources
  [ -e "$entry" ] && return 0
  local uri keyring suite
  # Debian's own archive and key where the system lists its sources the older way.
  uri=$(awk '/^URIs:/ {print $2; exit}' "$list" 2>/dev/null || true)
  keyring=$(awk '/^Signed-By:/ {print $2; exit}' "$list" 2>/dev/null || true)
  uri=${uri:-http://deb.debian.org/debian}
  keyring=${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  say "adding a deb-src entry for $suite main ($entry)"
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "$uri" "$suite" "$keyring" | "${sudo[@]}" tee "$entry" >/dev/null
  "${sudo[@]}" apt-get update -qq
}

# The upstream tarball of a source package, downloaded once. apt-get's exit code is not
# trusted: mpg123's upstream signature is missing from the archive, which fails the command
# although the tarball arrived.
orig_tarball() {
  local name=$1 found
  found=$(ls "$sources"/"${name}"_*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1 || true)
  if [ -z "$found" ]; then
    apt-cache showsrc "$name" >/dev/null 2>&1 && apt-cache showsrc "$name" | grep -q '^Package:' \
      || add_source_entry
    (cd "$sources" && apt-get source --download-only -qq "$name" >/dev/null 2>&1) || true
    found=$(ls "$sources"/"${name}"_*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1 || true)
  fi
  [ -n "$found" ] || { say "the source package $name could not be downloaded"; exit 1; }
  echo "$found"
}

# unpack TARBALL: a fresh copy of the source in build-windows/src/, its folder on stdout.
unpack() {
  local tarball=$1 dir=$top/src/$(basename "$1")
  rm -rf "$dir"
  mkdir -p "$dir"
  tar -xf "$tarball" -C "$dir" --strip-components=1
  echo "$dir"
}

cmake_library() {
  local src=$1
  shift
  cmake -S "$src" -B "$src/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DDEMO_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$src/build" -j "$jobs" >/dev/null
  cmake --install "$src/build" >/dev/null
}

build_zlib() {
  (cd "$1" && CHOST=$host CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib \
    ./configure --static --prefix="$prefix" >/dev/null)
  make -C "$1" -j "$jobs" libz.a >/dev/null
  make -C "$1" install >/dev/null
}
build_libpng1.6() {
  cmake_library "$1" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
}
build_libjpeg-turbo() { cmake_library "$1" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF; }
# With the zlib above: FreeType's own copy of it would clash with it in the programs' link.
build_freetype() {
  cmake_library "$1" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}
build_libsdl2() { cmake_library "$1" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF; }
# The decoder library only (not the player, nor the output and resampling libraries), as a DLL
# with libgcc inside it, so that it needs nothing but Windows' own DLLs.
build_mpg123() {
  local only=(lib_LTLIBRARIES=src/libmpg123/libmpg123.la pkgconfig_DATA=libmpg123.pc)
  (cd "$1" && ./configure --host=$host --prefix="$prefix" --with-cpu=x86-64 \
    --enable-shared --disable-static CC=$host-gcc-posix LDFLAGS=-static-libgcc >/dev/null)
  make -C "$1" -j "$jobs" "${only[@]}" src/libmpg123/libmpg123.la libmpg123.pc >/dev/null
  make -C "$1" "${only[@]}" install-libLTLIBRARIES install-includeHEADERS install-nodist_includeHEADERS \
    install-pkgconfigDATA >/dev/null
}

for name in "${libraries[@]}"; do
  tarball=$(orig_tarball "$name")
  # The stamp names the tarball and the way it was built: a change to either builds it again.
  stamp=$prefix/.built-$name
  recipe="$(basename "$tarball") $(declare -f "build_$name" | md5sum | cut -c1-12)"
  if [ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ]; then continue; fi
  say "building $(basename "$tarball") for Windows"
  start=$SECONDS
  src=$(unpack "$tarball")
  "build_$name" "$src"
  rm -rf "$src"
  echo "$recipe" >"$stamp"
  say "  $((SECONDS - start)) s"
done

# The test framework, for the Windows tests (scripts/test-windows.sh): Debian's libgtest-dev
# ships its sources.
if [ "${DEMO_WINDOWS_TESTS:-OFF}" = ON ]; then
  recipe="googletest $(dpkg-query -W -f='${Version}' libgtest-dev)"
  if [ "$(cat "$prefix/.built-googletest" 2>/dev/null)" != "$recipe" ]; then
    say "building googletest for Windows"
    rm -rf "$top/src/googletest"
    mkdir -p "$top/src"
    cp -r /usr/src/googletest "$top/src/googletest"
    cmake_library "$top/src/googletest" -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
    rm -rf "$top/src/googletest"
    echo "$recipe" >"$prefix/.built-googletest"
  fi
fi

# The licences of what goes into the programs, by library: taken from the tarballs each run,
# so they are there even when every library came from the cache.
licence_files() {
  case $1 in
    zlib | libpng1.6) echo LICENSE ;;
    libjpeg-turbo) echo LICENSE.md README.ijg ;;
    freetype) echo docs/FTL.TXT ;;
    libsdl2) echo LICENSE.txt ;;
    mpg123) echo COPYING ;;
  esac
}
mkdir -p "$prefix/licences"
for name in "${libraries[@]}"; do
  tarball=$(orig_tarball "$name")
  for file in $(licence_files "$name"); do
    tar -xOf "$tarball" --wildcards "*/$file" >"$prefix/licences/$name-$(basename "$file" | tr 'A-Z' 'a-z')"
  done
done
# The C++ runtime and the thread library MinGW-w64 links into each program.
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$prefix/licences/mingw-w64-runtime.txt"
cp /usr/share/doc/fonts-liberation/copyright "$prefix/licences/fonts-liberation.txt"

# The host's build: the soundtrack, the icon's pictures and the picture sets at 2x and 4x, made
# as the Linux build makes them.
say "building the host's soundtrack and icon in build-windows/host/"
cmake -S . -B "$top/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEMO_TESTS=OFF -DDEMO_BENCH=OFF >/dev/null
cmake --build "$top/host" -j "$jobs" --target soundtrack icons picture_sets lwo-info lws-info invitation-capture >/dev/null

say "cross-building the project in build-windows/build/"
cmake -S . -B "$top/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DDEMO_WINDOWS_PREFIX="$prefix" \
  -DDEMO_HOST_BUILD="$top/host" -DCMAKE_BUILD_TYPE=Release -DDEMO_TESTS="${DEMO_WINDOWS_TESTS:-OFF}" \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DDEMO_BENCH=OFF -DDEMO_WERROR=ON >/dev/null
cmake --build "$top/build" -j "$jobs"

version=$(sed -n 's/^project(invitation VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=invitation-$version-windows-x64
say "packing $name.zip"
rm -rf "${top:?}/stage" "$top/$name.zip"
cmake --install "$top/build" --prefix "$top/stage/$name" --strip >/dev/null
$host-strip "$top/stage/$name"/*.dll
(cd "$top/stage" && zip -qr9 "../$name.zip" "$name")
rm -rf "${top:?}/stage"
echo "$top/$name.zip: $(du -h "$top/$name.zip" | cut -f1)" >&2
exit 0
}
