#!/usr/bin/env bash
# Builds the two packages into packages/: the Debian package of the Linux
# programs (checked with lintian) and the .zip of the Windows program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
mkdir -p packages

echo "== Debian package"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORBILEX_TESTS=OFF >/dev/null
cmake --build build-package
(cd build-package && rm -f ./*.deb && cpack -G DEB >/dev/null)
cp build-package/*.deb packages/
# lintian exits non-zero on errors; warnings and notes are shown.
lintian --fail-on error packages/*.deb

echo "== Windows .zip"
cmake -S . -B build-windows-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORBILEX_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-windows-package
(cd build-windows-package && rm -f ./*.zip && cpack -G ZIP >/dev/null)
cp build-windows-package/*.zip packages/

ls -l packages/
