#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# native, under the address and undefined-behaviour sanitizers, and the
# Windows build under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test

echo "== native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORBILEX_TESTS=ON >/dev/null
cmake --build build
(cd build && ctest --output-on-failure)

echo "== sanitizer build (address, undefined) and unit tests"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORBILEX_SANITIZE=ON \
  -DMORBILEX_CORE_ONLY=ON >/dev/null
cmake --build build-sanitize
(cd build-sanitize && ctest --output-on-failure)

echo "== Windows build and tests under wine"
WINEPREFIX="$(mktemp -d /tmp/morbilex-wine.XXXXXX)"
export WINEPREFIX WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-windows
wineboot --init >/dev/null 2>&1 || true
(cd build-windows && ctest --output-on-failure)
