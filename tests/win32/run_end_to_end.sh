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

# Inside a wine desktop window: captions and frames are drawn without a window
# manager, and windows come to the front when asked.
export MORBILEX_WINE_DESKTOP="${MORBILEX_WINE_DESKTOP:-1024x768}"
bash "$here/with_display.sh" "$artefacts" "$driver" "$(windows_path "$program")" "${@:4}"
status=$?
if [ "$status" -eq 0 ] && ! tr -d '\r' <"$artefacts/driver_outcome.txt" 2>/dev/null | grep -qx '0 failed'; then
  echo "the driver did not finish, or some checks failed" >&2
  status=1
fi

for picture in "$artefacts"/*.bmp; do
  [ -e "$picture" ] || continue
  convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
done
# The printouts as the page would look (ghostscript, when installed).
if command -v gs >/dev/null; then
  for printout in "$artefacts"/*.ps; do
    [ -e "$printout" ] || continue
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r75 \
      -sOutputFile="${printout%.ps}.png" "$printout" >/dev/null 2>&1 || true
  done
fi
exit "$status"
