#!/usr/bin/env bash
# Installs what is missing, builds and starts Morbilex.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -x build/src/qt/morbilex ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/qt/morbilex
fi
if [ -x build/src/batch/morbilex-batch ]; then
  echo "No display: rendering the default scenario headless instead."
  build/src/batch/morbilex-batch --trace="$PWD/temp.dat" --chart="$PWD/morbilex-chart.png"
  echo "Trace: $PWD/temp.dat  Chart: $PWD/morbilex-chart.png"
  exit 0
fi
echo "Built; the program is not there yet."
