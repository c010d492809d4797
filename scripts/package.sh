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
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DDEMO_TESTS=OFF -DDEMO_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
echo "packing" >&2
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls -t build-package/invitation_*.deb | head -1)
echo "checking with lintian" >&2
lintian --fail-on error "$deb" 2>/dev/null
echo "$PWD/$deb: $(du -h "$deb" | cut -f1)" >&2
