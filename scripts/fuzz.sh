#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang into build-fuzz/ and runs
# each for the given number of seconds (default 40), one after the other.
# New inputs go to a scratch folder; the checked-in seeds are only read. A
# crash stops the script and leaves its input in build-fuzz/crashes/.
#   bash scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-40}"
shift || true
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(number_text number_reading dialog_chain batch_options merge_input
  scenario_document observed_counts)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORBILEX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 >/dev/null
mkdir -p build-fuzz/crashes
for target in "${targets[@]}"; do
  work="$(mktemp -d /tmp/morbilex-fuzz.XXXXXX)"
  log="build-fuzz/fuzz_${target}.log"
  status=0
  build-fuzz/tests/fuzz/fuzz_"$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/crashes/"$target"- -rss_limit_mb=4096 -timeout=30 \
    "$work" tests/fuzz/corpus/"$target" >"$log" 2>&1 || status=$?
  rm -rf "$work"
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
  echo "fuzz_${target}: ${runs:-?} executions in ${seconds} s"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "fuzz_${target} failed; its input is in build-fuzz/crashes/"
    exit 1
  fi
done
