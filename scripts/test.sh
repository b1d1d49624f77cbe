#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# native, the web build (under node and in Chromium), under the address,
# undefined-behaviour and leak sanitizers, the fuzz targets for a bounded
# time, and the Windows build under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test

echo "== native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORBILEX_TESTS=ON >/dev/null
cmake --build build
(cd build && ctest --output-on-failure)

echo "== web build: unit tests under node, morbilex-batch for node against build/, the page in Chromium"
bash scripts/web.sh --test

# The scheduler test runs natively only: under the sanitizers its large sweep
# would take many minutes, and it tests the cluster, not memory.
echo "== sanitizer build (address, undefined, leaks): unit, morbilex-batch and program tests"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORBILEX_SANITIZE=ON \
  -DMORBILEX_CORE_ONLY=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-sanitize
(cd build-sanitize &&
  ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$PWD/../tests/sanitizer/qt_leaks.supp:print_suppressions=0" \
  ctest --output-on-failure -E "program_screenshots|slurm_job_array")

echo "== fuzz targets, 40 s each"
bash scripts/fuzz.sh 40

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
