#!/usr/bin/env bash
# The web edition: builds the static site into build-web/site (emscripten's
# emcmake over the same CMake tree) and serves it on http://127.0.0.1:PORT
# (8080 unless PORT is set) until Ctrl+C. --build-only stops after the build.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v emcmake >/dev/null || ! command -v node >/dev/null; then
  bash scripts/install-deps.sh --web
fi
# This emscripten's linker finds its node modules there.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" >/dev/null
cmake --build build-web -j2 --target site
echo "site: build-web/site"
[ "${1:-}" = --build-only ] && exit 0
port="${PORT:-8080}"
echo "Morbilex on the web: http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
