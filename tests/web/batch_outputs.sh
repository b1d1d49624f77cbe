#!/usr/bin/env bash
# morbilex-batch for node against the native one: every output of the
# scenarios tests/batch/whole_outputs.sh covers, byte for byte (NaN without
# its sign). Pictures are left out: the web build has no chart export.
#   batch_outputs.sh NATIVE_BATCH NODE_BATCH DIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
native="$1"
web="$2"
dir="$3"
mkdir -p "$dir"
bash "$here/../batch/whole_outputs.sh" "$native" "$dir/native" >/dev/null
bash "$here/../batch/whole_outputs.sh" "$web" "$dir/web" >/dev/null
pictures='(chart|line|heat|sweep_unknown_metric)'
grep -Ev "  $pictures" "$dir/native/digests.txt" >"$dir/native.txt"
grep -Ev "  $pictures" "$dir/web/digests.txt" >"$dir/web.txt"
if diff -u "$dir/native.txt" "$dir/web.txt"; then
  echo "node batch: $(wc -l <"$dir/web.txt") outputs identical to the native ones"
else
  echo "node batch differs from the native one (outputs in $dir/native and $dir/web)"
  exit 1
fi
