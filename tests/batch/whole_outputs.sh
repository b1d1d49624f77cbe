#!/usr/bin/env bash
# Every output of morbilex-batch over many scenarios, as one digest a file:
#   whole_outputs.sh BATCH DIR          writes the outputs to DIR and prints
#                                       "digest  name" lines, sorted
#   whole_outputs.sh BATCH DIR --check LIST   the same, compared with LIST
# Traces of all three modes (40000 steps, overflowing runs, odd field texts),
# readable and CSV/JSONL summaries, sweep rows in CSV and JSONL (whole, in
# shards and merged), refusals with their messages and exit statuses, and
# chart and sweep pictures in PNG, SVG and PDF. A NaN's sign is left to the
# compiler, so NaN is compared without it; a PDF's creation date is masked.
set -uo pipefail
# Qt writes a PDF's embedded fonts in the order of a hash: fix its seed.
export QT_HASH_SEED=0
batch="$(realpath "$1")"
dir="$2"
list="${4:+$(realpath "$4")}"
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir" || exit 2

# name, then the options of one single run.
single_runs=(
  "default"
  "mode1 --mode=1"
  "mode2 --mode=2"
  "long0 --T_max=10000"
  "long1 --mode=1 --T_max=10000 --Redct2=0.5 --t_srt2=100 --t_stp2=3000"
  "long2 --mode=2 --T_max=10000 --On_threshold=20 --Off_threshold=2"
  "short --T_max=0.25"
  "zero --T_max=0"
  "negative --T_max=-3"
  "big --init_E=20000 --init_I=1e20"
  "negzero --init_R=-0 --R_0=-0"
  "subnormal --init_E=4e-320 --init_I=1e-310"
  "ties --init_E=9999.995 --init_I=0.125 --R_0=0.005"
  "overflow_r0 --R_0=1e308"
  "overflow_red --mode=1 --Redct1=-5000 --t_srt1=0 --t_stp1=150"
  "odd_text --R_0=3.5days --latent_period=+4.6e0 --infectious_period=0x1.4p2 --init_E=.5"
  "refused_period --latent_period=0"
  "refused_text --R_0=abc"
  "refused_negative --init_E=-1"
  "windows --mode=1 --Redct1=0.3 --t_srt1=80 --t_stp1=60 --Redct2=0.9 --t_srt2=5 --t_stp2=20 --Redct3=1 --t_srt3=150 --t_stp3=400"
  "switching --mode=2 --R_0=4 --Reduction=0.95 --On_threshold=10 --Off_threshold=9.99"
  "scale --xmin=-20 --xmax=120 --ymin=-100 --ymax=2000"
  "unknown --frobnicate=1"
)

run() {  # name, options...: stdout, stderr and the exit status of one call
  local name="$1"
  shift
  "$batch" "$@" >"$name.out" 2>"$name.err"
  echo "$?" >"$name.status"
}

for entry in "${single_runs[@]}"; do
  read -r -a words <<<"$entry"
  name="${words[0]}"
  options=("${words[@]:1}")
  run "trace_$name" "${options[@]}" --trace="trace_$name.dat"
  run "summary_$name" "${options[@]}" --trace=/dev/null --summary
  run "summarycsv_$name" "${options[@]}" --trace=/dev/null --summary="summary_$name.csv"
  run "summaryjsonl_$name" "${options[@]}" --trace=/dev/null --summary="summary_$name.jsonl"
done

for type in png svg pdf; do
  run "chart0_$type" --trace=/dev/null --ymax=2000 --chart="chart0.$type" --size=640x400
  run "chart1_$type" --mode=1 --trace=/dev/null --chart="chart1.$type"
  run "chart2_$type" --mode=2 --trace=/dev/null --ymax=50 --chart="chart2.$type" --size=300x900
done
run chart_range --trace=/dev/null --xmin=5 --xmax=5 --chart=chart_range.png

sweep1=(--sweep=R_0=1:4:0.25 --sweep=mode=0,1,2)
sweep2=(--sweep=R_0=1.5:3:0.5 --sweep=Reduction=0:1:0.25 --mode=2 --off-ratio=0.2)
run sweep1_csv "${sweep1[@]}" --output=sweep1.csv
run sweep1_jsonl "${sweep1[@]}" --format=jsonl --output=sweep1.jsonl
run sweep2_csv "${sweep2[@]}" --output=sweep2.csv --jobs=2
run sweep_overflow --sweep=R_0=1e300,1e308,2 --output=sweep_overflow.csv
run sweep_count "${sweep1[@]}" --count
for k in 1 2 3; do
  run "shard$k" "${sweep1[@]}" --shard=$k/3 --output="shard$k.csv"
  run "shardj$k" "${sweep1[@]}" --shard=$k/3 --format=jsonl --output="shard$k.jsonl"
done
run merge_csv --merge=merged.csv shard3.csv shard1.csv shard2.csv
run merge_jsonl --merge=merged.jsonl shard2.jsonl shard1.jsonl shard3.jsonl
run merge_missing --merge=merged_missing.csv shard1.csv shard3.csv
run sweep_refused --sweep=R_0=1:2:0 --output=refused.csv
run sweep_unknown_metric --sweep=R_0=1:2:0.5 --chart=x.png --metric=nonsense
for type in png svg pdf; do
  run "line_$type" "${sweep1[@]}" --output=/dev/null --chart="line.$type" --metric=final_R
  run "heat_$type" "${sweep2[@]}" --output=/dev/null --chart="heat.$type" --size=500x500
done
run heat_big --sweep=R_0=1:5:0.1 --sweep=latent_period=1:9:0.25 --output=/dev/null \
  --chart=heat_big.png --metric=peak_infectious_day
run heat_overflow --sweep=R_0=1e307,1e308,2,3 --sweep=Reduction=0,0.5 --mode=2 \
  --output=/dev/null --chart=heat_overflow.svg

# Digests: NaN without its sign, a PDF's date masked.
for file in *; do
  case "$file" in
    digests.txt) continue ;;
    *.pdf) digest=$(sed -E 's/D:[0-9]{14}Z/D:00000000000000Z/' "$file" | sha256sum) ;;
    *) digest=$(sed -E 's/-nan/ nan/g' "$file" | sha256sum) ;;
  esac
  echo "${digest%% *}  $file"
done | LC_ALL=C sort -k2 >digests.txt

if [ "${3:-}" = --check ]; then
  if diff -u "$list" digests.txt; then
    echo "whole outputs: $(wc -l <digests.txt) files identical"
  else
    echo "whole outputs differ (left: recorded, right: now; files in $dir)"
    exit 1
  fi
else
  cat digests.txt
fi
