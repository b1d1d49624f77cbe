#!/usr/bin/env bash
# Installs what building and running needs, builds the two programs (no
# tests, benchmarks or Windows build) and starts Morbilex. Without a display
# it says so and renders the default chart headless instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --programs
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  if [ -x build/src/qt/morbilex ]; then
    exec build/src/qt/morbilex
  fi
  reason="The desktop program was not built (Qt 6 missing)"
else
  reason="No display (neither DISPLAY nor WAYLAND_DISPLAY is set)"
fi
if [ -x build/src/batch/morbilex-batch ]; then
  build/src/batch/morbilex-batch --trace="$PWD/temp.dat" --chart="$PWD/morbilex-chart.png" >/dev/null
  echo "$reason: rendered the default chart to $PWD/morbilex-chart.png and the trace to $PWD/temp.dat."
  exit 0
fi
echo "$reason, and the headless tool morbilex-batch was not built either." >&2
exit 1
