#!/usr/bin/env bash
# Runs morbilex on a virtual X display with the real xcb platform and keeps
# screenshots of the title screen, the explorer view and its user's guide,
# then in the classic view the default chart, each dialog and the
# intermittent chart at ymax 10000 in the output folder; one dialog shows the
# reason of a refused OK in the explorer view. Then a termination signal while
# a dialog is open must end the program without a run, leaving a trace of the
# user's own as it was.
# Usage: program_screenshots.sh <morbilex> <output folder>
set -euo pipefail
# A user's remembered settings stay out of the programs started here.
export MORBILEX_NO_SETTINGS=1
program="$1"
output="$2"

for tool in Xvfb xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

mkdir -p "$output"
rm -f "$output"/*.png
work="$(mktemp -d)"
xvfb_pid=""
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# A free display: the server picks it and writes its number once it
# accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
display=""
read -r display <"$work/display" || true
[ -n "$display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

(cd "$work" && exec "$program") &
program_pid=$!

# The window with exactly this title, once it is mapped (ctest's timeout
# bounds a hang: every wait here is for a state, none for a time).
wait_for_window() {
  local title="$1"
  xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1
}

# Until the screen stays the same from one capture to the next.
settle() {
  local previous="" current
  while :; do
    current="$(import -window root rgb:- | md5sum)"
    [ "$current" = "$previous" ] && return
    previous="$current"
  done
}

send_keys() {
  local window="$1"
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key --clearmodifiers "$@"
  settle
}

screenshot() {
  settle
  import -window root "$output/$1.png"
}

# Pure red pixels (the infectious curve) in a screenshot.
red_pixels() {
  convert "$output/$1.png" -fill black +opaque red -fill white -opaque red \
    -format '%[fx:round(mean*w*h)]' info:
}

# Screenshots NAME until the red curve is drawn.
screenshot_with_curve() {
  screenshot "$1"
  until [ "$(red_pixels "$1")" -gt 0 ]; do screenshot "$1"; done
}

# Until the file exists and is not empty.
wait_for_trace() {
  until [ -s "$1" ]; do sleep 0.05; done
}

main_window="$(wait_for_window Morbilex)"
screenshot title
[ "$(red_pixels title)" -eq 0 ] || fail "the title screen shows a curve"
[ ! -e "$work/temp.dat" ] || fail "a trace exists before any run"

# The explorer view, the program's default: a one-time run beside the run
# without intervention, the read-out under the mouse, the user's guide on F1.
send_keys "$main_window" ctrl+o
dialog="$(wait_for_window 'One-time intervention')"
send_keys "$dialog" Return
xdotool mousemove --window "$main_window" 300 250
wait_for_trace "$work/temp.dat"
screenshot_with_curve explorer_one_time
# The figures panel at the default 960 by 600 fits its text: the change
# column's words are read whole, not cut at the pane's edge.
if command -v tesseract >/dev/null; then
  import -window "$main_window" "$work/window.png"
  convert "$work/window.png" -gravity East -crop 40%x100%+0+0 +repage -resize 300% \
    "$work/figures.png"
  figures_text="$(tesseract "$work/figures.png" - 2>/dev/null)"
  for word in "Peak infectious" later; do
    grep -q "$word" <<<"$figures_text" || fail "the figures panel reads: $figures_text"
  done
fi
send_keys "$main_window" F1
dialog="$(wait_for_window "Morbilex User's Guide")"
screenshot explorer_user_guide
send_keys "$dialog" Escape
# View, Sweep...: R_0 around its value, run, drawn as a line (its blue).
send_keys "$main_window" alt+v w
dialog="$(wait_for_window 'Sweep')"
send_keys "$dialog" alt+r
screenshot sweep_line_chart
until [ "$(convert "$output/sweep_line_chart.png" -fill black +opaque '#0072b2' -fill white \
  -opaque '#0072b2' -format '%[fx:round(mean*w*h)]' info:)" -gt 0 ]; do
  screenshot sweep_line_chart
done
send_keys "$dialog" Escape
# R_0 has the focus: a decimal comma is refused, and the line says why.
send_keys "$main_window" ctrl+m
dialog="$(wait_for_window 'Change Parameter0')"
xdotool type 2,5
send_keys "$dialog" Return
screenshot dialog_refusal_line
send_keys "$dialog" Escape
# Everything below runs in the classic view (View, Classic view).
send_keys "$main_window" alt+v l
screenshot classic_after_explorer

send_keys "$main_window" ctrl+n
wait_for_trace "$work/temp.dat"
screenshot_with_curve default_chart

send_keys "$main_window" ctrl+m
dialog="$(wait_for_window 'Change Parameter0')"
screenshot dialog_model_parameters
send_keys "$dialog" Escape

send_keys "$main_window" ctrl+o
dialog="$(wait_for_window 'One-time intervention')"
screenshot dialog_one_time
send_keys "$dialog" Escape
screenshot one_time_chart

send_keys "$main_window" ctrl+i
dialog="$(wait_for_window 'Intermittent intervention')"
screenshot dialog_intermittent
send_keys "$dialog" Return
screenshot intermittent_chart

send_keys "$main_window" ctrl+s
dialog="$(wait_for_window 'Change Scale of Axis')"
screenshot dialog_scale
# xmin has the focus; ymax is the fourth field.
send_keys "$dialog" Tab Tab Tab ctrl+a
xdotool type 10000
send_keys "$dialog" Return
screenshot intermittent_chart_ymax_10000

send_keys "$main_window" F1
dialog="$(wait_for_window Message)"
screenshot help_box
send_keys "$dialog" Return

send_keys "$main_window" ctrl+x
wait "$program_pid" || fail "the program ended with status $?"
program_pid=""
[ ! -e "$work/temp.dat" ] || fail "the trace was not deleted at exit"

for keys in ctrl+m:TERM ctrl+o:INT ctrl+i:HUP; do
  key="${keys%%:*}"
  signal="${keys##*:}"
  echo "mine" >"$work/temp.dat"
  (cd "$work" && exec "$program") &
  program_pid=$!
  main_window="$(wait_for_window Morbilex)"
  send_keys "$main_window" "$key"
  xdotool search --sync --onlyvisible --name 'Change Parameter0|intervention' >/dev/null
  kill "-$signal" "$program_pid"
  wait "$program_pid" || fail "SIG$signal in a dialog ($key): status $?"
  program_pid=""
  [ "$(cat "$work/temp.dat" 2>/dev/null)" = "mine" ] ||
    fail "SIG$signal in a dialog ($key): the user's temp.dat was overwritten or deleted"
done
echo "Screenshots in $output"
