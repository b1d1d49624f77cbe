#!/usr/bin/env bash
# Builds every release artefact into packages/, with their checksums:
#   - the Debian package(s) of the Linux programs (checked with lintian),
#   - the Windows installer (.msi) and the .zip of the Windows program,
#   - the web edition's static site (a folder to serve as it is),
#   - SHA256SUMS over all of them (`sha256sum -c SHA256SUMS` in packages/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
rm -rf packages
mkdir -p packages
version="$(sed -n 's/^project(Morbilex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
# The time stamps inside the artefacts: the last commit's, so that the same
# sources give the same installer.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
  export SOURCE_DATE_EPOCH
fi

echo "== Debian package"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORBILEX_TESTS=OFF >/dev/null
cmake --build build-package
(cd build-package && rm -f ./*.deb && cpack -G DEB >/dev/null)
cp build-package/*.deb packages/
# lintian exits non-zero on errors; warnings and notes are shown.
lintian --fail-on error packages/*.deb

echo "== Windows installer and .zip"
cmake -S . -B build-windows-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORBILEX_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
# The installer (target morbilex_msi) is built with the program.
cmake --build build-windows-package
(cd build-windows-package && rm -f ./*.zip && cpack -G ZIP >/dev/null)
cp build-windows-package/*.zip build-windows-package/*.msi packages/

echo "== Web site"
bash scripts/web.sh --build-only
cp -r build-web/site "packages/morbilex-$version-web"

echo "== Checksums"
(cd packages && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
  xargs -d '\n' sha256sum >SHA256SUMS)
ls -l packages/
