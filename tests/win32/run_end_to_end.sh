#!/usr/bin/env bash
# The end-to-end test of morbilex.exe under wine and Xvfb.
#   run_end_to_end.sh <end_to_end_driver.exe> <morbilex.exe> <artefact folder> [scenario]
# The driver starts the program several times, each in a folder of its own
# under the artefact folder, and leaves its pictures there (BMP, turned into PNG).
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
driver="$1"
program="$(realpath "$2")"
artefacts="$3"

rm -rf "$artefacts"
mkdir -p "$artefacts"
windows_path() { echo "Z:${1//\//\\}"; }

bash "$here/with_display.sh" "$artefacts" "$driver" "$(windows_path "$program")" "${@:4}"
status=$?

for picture in "$artefacts"/*.bmp; do
  [ -e "$picture" ] || continue
  convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
done
exit "$status"
