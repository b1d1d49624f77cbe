#!/usr/bin/env bash
# The fit of three fields (R_0 and the two periods) to the boarding-school
# counts of examples/ by morbilex-batch in the web build under node, and by
# the native one beside it. Each tool's baseline is measured in the same run:
# the same scenario and counts run once without the fit (the process's start,
# the module's load, the run and its objective); the fit's own time is the
# difference of the best of five of each.
#   bash bench/web_fit_bench.sh [BUILD_WEB_DIR [NATIVE_BUILD_DIR]]
set -euo pipefail
cd "$(dirname "$0")/.."
web_batch="${1:-build-web}/morbilex-batch"
native_batch="${2:-build}/src/batch/morbilex-batch"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp examples/boarding_school_influenza.csv "$folder/"
cp examples/boarding_school_influenza.morbilex "$folder/fit.morbilex"
grep -v '^fit = ' examples/boarding_school_influenza.morbilex >"$folder/baseline.morbilex"

# The best of five, in milliseconds.
best_of_five() {
  local best="" start took
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    took=$((($(date +%s%N) - start) / 1000))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}

for tool in "web:$web_batch" "native:$native_batch"; do
  name="${tool%%:*}" batch="${tool#*:}"
  [ -x "$batch" ] || { echo "$name: no $batch"; continue; }
  base=$(best_of_five "$batch" --scenario="$folder/baseline.morbilex" --trace=/dev/null --summary=/dev/null)
  fit=$(best_of_five "$batch" --scenario="$folder/fit.morbilex" --trace=/dev/null --summary=/dev/null \
    --fit-output="$folder/$name-fit.csv")
  printf '%-6s baseline run %7.1f ms, with the fit %7.1f ms: the fit %7.1f ms\n' "$name" \
    "$(echo "$base / 1000" | bc -l)" "$(echo "$fit / 1000" | bc -l)" "$(echo "($fit - $base) / 1000" | bc -l)"
done
if [ -f "$folder/web-fit.csv" ] && [ -f "$folder/native-fit.csv" ]; then
  cmp -s "$folder/web-fit.csv" "$folder/native-fit.csv" && echo "the same fit, digit for digit" ||
    echo "the fits differ"
fi
