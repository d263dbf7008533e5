#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/, installed
# under /usr, without the tests, and build-package/tessarin_VERSION-1_ARCH.deb
# from it (CPack's DEB generator, cmake/Package.cmake). Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >&2

# Debian's hardening flags, which lintian looks for: stack protector, fortified
# calls, read-only relocations bound at start. No -g (the package is stripped)
# and no -O2 (Release's -O3 stands); no -Wdate-time either, since the About box
# shows the date of the build on purpose.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(DEB_CXXFLAGS_MAINT_STRIP='-g -O2' dpkg-buildflags --get CXXFLAGS) -D_FORTIFY_SOURCE=2"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTESSARIN_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >&2
cmake --build build-package -j "$(nproc)" >&2
rm -f build-package/tessarin_*.deb
(cd build-package && cpack -G DEB) >&2
ls "$PWD"/build-package/tessarin_*.deb
