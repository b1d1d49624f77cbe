#!/usr/bin/env bash
# Runs a Windows program under wine on a private X display.
#   with_display.sh <work-folder> <program.exe> [arguments...]
# Starts Xvfb on a free display, uses the WINEPREFIX of the environment (or a
# fresh one of its own), runs the program with the work folder as its current
# directory, and stops Xvfb and this prefix's wineserver at the end, whatever
# the outcome. The exit status is the program's.
set -uo pipefail

work_folder="$1"
shift
mkdir -p "$work_folder"
export WINEDEBUG="${WINEDEBUG:--all}"
# The program remembers nothing from one start to the next here, and reads
# nothing a user of this machine left in the prefix.
export MORBILEX_NO_SETTINGS=1

own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix="$(mktemp -d /tmp/morbilex-wine.XXXXXX)"
  export WINEPREFIX="$own_prefix"
fi

# Xvfb picks a free display and writes its number once it accepts clients.
display_file="$(mktemp -u)"
mkfifo "$display_file"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  wait "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
  if [ -n "$own_prefix" ]; then rm -rf "$own_prefix"; fi
}
trap cleanup EXIT

display=""
read -r display <"$display_file" || true
if [ -z "$display" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$display"

# A server of this prefix started without a display would keep windows off it.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

program="$(realpath "$1")"
shift
cd "$work_folder"
if [ -n "${MORBILEX_WINE_DESKTOP:-}" ]; then
  # A wine desktop window draws the captions and frames a window manager would.
  wine explorer "/desktop=morbilex,$MORBILEX_WINE_DESKTOP" "$program" "$@"
else
  wine "$program" "$@"
fi
