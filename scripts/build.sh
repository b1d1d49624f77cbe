#!/usr/bin/env bash
# Installs what is missing and builds the Linux programs into build/: with
# --programs only morbilex and morbilex-batch (no tests or benchmarks), else
# everything.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --programs ]; then
  bash scripts/install-deps.sh --run
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORBILEX_TESTS=OFF >/dev/null
  targets=()
  for target in morbilex morbilex-batch; do
    if cmake --build build --target help | grep -q "^$target:"; then targets+=("$target"); fi
  done
  cmake --build build --target "${targets[@]}"
else
  bash scripts/install-deps.sh --test
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORBILEX_TESTS=ON >/dev/null
  cmake --build build
fi
