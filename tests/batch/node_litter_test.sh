#!/usr/bin/env bash
# morbilex-batch for node stopped by SIGTERM: node ends it at once (no signal
# is caught there, as --help says), and the next run on the output removes
# the temporary it left. No lock file: node cannot hold one.
#   node_litter_test.sh NODE_BATCH
set -uo pipefail
batch="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 2
fail() { echo "FAIL: $*" && exit 1; }
"$batch" --help | tr '\n' ' ' | grep -q "catches no signal.* takes no OUTPUT.lock" ||
  fail "--help does not say what the node build does not do"
"$batch" --sweep=R_0=1:100:0.0005 --output=rows.csv 2>/dev/null &
pid=$!
# Until rows reach the temporary: a state, whatever the machine's speed.
for _ in $(seq 3000); do
  temporary=$(find . -maxdepth 1 -name '.rows.csv.tmp-*' -size +4k)
  [ -n "$temporary" ] || ! kill -0 "$pid" 2>/dev/null && break
  sleep 0.01
done
[ -n "$temporary" ] && [ ! -e rows.csv.lock ] || fail "no temporary, or a lock file: $(ls -A)"
kill -TERM "$pid"
wait "$pid"
[ $? = 143 ] && [ -e "$temporary" ] || fail "SIGTERM did not leave the temporary"
"$batch" --sweep=R_0=1,2 --output=rows.csv 2>/dev/null || fail "the next run failed"
left=$(ls -A | grep -v -x -e rows.csv -e rows.csv.manifest)
[ -z "$left" ] || fail "left after the next run: $left"
echo "a stopped node run's temporary is removed by the next run; no lock file"
