#!/usr/bin/env bash
# Makes the Debian package invitation_VERSION_ARCH.deb in build-package/ and checks it with
# lintian. Its own build folder, configured for /usr as a package installs there (libraries in
# /usr/lib/<multiarch>), so it neither disturbs nor is disturbed by play.sh's build/ or
# test.sh's folders.
#   scripts/package.sh
# Then: sudo apt install ./build-package/invitation_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 0 ] || { echo "package.sh: takes no arguments" >&2; exit 2; }

scripts/install-deps.sh package
echo "building in build-package/" >&2
# Debian's own compiler and linker flags, every hardening feature on (fortified functions,
# stack protector, read-only relocations bound at start), as a package built by Debian has;
# without debug information, which the installed libraries would otherwise carry.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g
eval "$(dpkg-buildflags --export=sh)"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DDEMO_TESTS=OFF -DDEMO_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
echo "packing" >&2
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls -t build-package/invitation_*.deb | head -1)
echo "checking with lintian" >&2
lintian --fail-on error "$deb" 2>/dev/null
echo "$PWD/$deb: $(du -h "$deb" | cut -f1)" >&2
