#!/usr/bin/env bash
# The web edition: builds the static site into build-web/site (emscripten's
# emcmake over the same CMake tree) and serves it on http://127.0.0.1:PORT
# (8080 unless PORT is set) until Ctrl+C.
#   --build-only   stops after the build
#   --test         builds the tests too and runs them: the core's unit tests
#                  under node, morbilex-batch for node against the native one
#                  in build/ (built first by scripts/test.sh), and the page in
#                  headless Chromium against build/'s page_tables (the core's
#                  fields and figures, printed natively); screenshots go to
#                  build-web/screenshots
set -euo pipefail
cd "$(dirname "$0")/.."
job="${1:-}"
if ! command -v emcmake >/dev/null || ! command -v node >/dev/null; then
  bash scripts/install-deps.sh --web
fi
# This emscripten's linker finds its node modules there.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
node="$(command -v node)"
native_batch="$PWD/build/src/batch/morbilex-batch"

if [ "$job" != --test ]; then
  emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORBILEX_TESTS=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$node" >/dev/null
  cmake --build build-web -j2 --target site
  echo "site: build-web/site"
  [ "$job" = --build-only ] && exit 0
  port="${PORT:-8080}"
  echo "Morbilex on the web: http://127.0.0.1:$port/ (Ctrl+C stops)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
fi

emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORBILEX_TESTS=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$node" -DMORBILEX_NATIVE_BATCH="$native_batch" >/dev/null
cmake --build build-web -j2
(cd build-web && ctest --output-on-failure)

echo "== the page in headless Chromium"
(cd tests/web && npm ci --no-audit --no-fund --ignore-scripts >/dev/null)
# The server binds a free port itself and says which once it listens: no
# port picked in advance that another process could take, no polling.
announcement="$(mktemp -u)"
mkfifo "$announcement"
python3 -u -m http.server 0 --bind 127.0.0.1 --directory build-web/site >"$announcement" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$announcement"' EXIT
exec 4<"$announcement"
read -r serving <&4 || { echo "the web server did not start" >&2; exit 1; }
port="$(sed -n 's/.* port \([0-9]*\) .*/\1/p' <<<"$serving")"
[ -n "$port" ] || { echo "the web server said: $serving" >&2; exit 1; }
rm -rf build-web/screenshots
status=0
(cd tests/web && node browser_test.mjs "http://127.0.0.1:$port/" "$native_batch" "$PWD/../../build-web" \
  "$PWD/../../build/tests/web/page_tables") ||
  status=1

echo "== sizes and native figures beside the page's"
size=$(cat build-web/site/morbilex.wasm build-web/site/*.js | gzip -9 | wc -c)
# The page carries the questions of many runs too (ranges and bands, the plan
# search and its front, fits to counts, the care layer, the chart's options):
# 288 KB, about a second on a slow line.
echo "wasm + JS gzipped: $((size / 1024)) KB (target 288 KB)"
[ "$size" -lt $((288 * 1024)) ] || status=1
sweep=(--sweep=R_0=1:5.95:0.05 --sweep=latent_period=1:10.99:0.01)
start=$(date +%s%N)
"$native_batch" "${sweep[@]}" --output=/dev/null 2>/dev/null
echo "native 10^5-scenario sweep with rows, all CPUs: $((($(date +%s%N) - start) / 1000000)) ms"
start=$(date +%s%N)
for _ in $(seq 20); do "$native_batch" --trace=/dev/null --summary=/dev/null; done
echo "native single run and summary, process included: $((($(date +%s%N) - start) / 20000000)) ms"
echo "page: $(cat build-web/timings.json | tr -d '\n ')"
echo "the page's questions of many runs under node (bench/web):"
"$node" build-web/src/web/web_timing.js
exit "$status"
