#!/usr/bin/env bash
# Runs morbilex on a virtual X display with the real xcb platform and keeps
# screenshots of the title screen, the explorer view and its user's guide,
# then in the classic view the default chart, each dialog and the
# intermittent chart at ymax 10000 in the output folder.
# Usage: program_screenshots.sh <morbilex> <output folder>
set -euo pipefail
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

# A free display: the server picks it and writes its number.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

(cd "$work" && exec "$program") &
program_pid=$!

# The window with exactly this title, once it is mapped.
wait_for_window() {
  local title="$1" window=""
  for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window titled '$title'"
  echo "$window"
}

send_keys() {
  local window="$1"
  shift
  timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key --clearmodifiers "$@"
  sleep 0.5
}

screenshot() {
  sleep 0.7
  import -window root "$output/$1.png"
}

# Pure red pixels (the infectious curve) in a screenshot.
red_pixels() {
  convert "$output/$1.png" -fill black +opaque red -fill white -opaque red \
    -format '%[fx:round(mean*w*h)]' info:
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
screenshot explorer_one_time
[ -s "$work/temp.dat" ] || fail "the explorer's run wrote no trace"
[ "$(red_pixels explorer_one_time)" -gt 0 ] || fail "the explorer view shows no red curve"
send_keys "$main_window" F1
dialog="$(wait_for_window "Morbilex User's Guide")"
screenshot explorer_user_guide
send_keys "$dialog" Escape
# Everything below runs in the classic view (View, Classic view).
send_keys "$main_window" alt+v l
screenshot classic_after_explorer

send_keys "$main_window" ctrl+n
screenshot default_chart
[ -s "$work/temp.dat" ] || fail "Ctrl+N wrote no trace"
[ "$(red_pixels default_chart)" -gt 0 ] || fail "the default chart shows no red curve"

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
for _ in $(seq 50); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
wait "$program_pid" || fail "the program ended with status $?"
program_pid=""
[ ! -e "$work/temp.dat" ] || fail "the trace was not deleted at exit"
echo "Screenshots in $output"
