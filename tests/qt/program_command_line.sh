#!/usr/bin/env bash
# The Linux program's command line without a display: --help and --version
# answer and exit, and a missing display is told in one line with exit code 1.
# Then on a virtual X display: SIGTERM, SIGINT and SIGHUP end a running
# program as Exit does, also while the box about the scenario file given on
# the command line is open (a refused file, a pipe, a folder, a run that
# overflows), and remembered settings the program cannot read are kept aside
# and told about once.
set -uo pipefail
# A user's remembered settings stay out of the programs started here.
export MORBILEX_NO_SETTINGS=1
program="$1"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cd "$folder"

output="$(headless "$program" --help)" || fail "--help exit code $?"
grep -q '^Usage: morbilex' <<<"$output" || fail "--help text: $output"
output="$(headless "$program" --version)" || fail "--version exit code $?"
[[ "$output" =~ ^morbilex\ [0-9]+\.[0-9]+ ]] || fail "--version text: $output"
headless "$program" --help >/dev/full 2>/dev/null && fail "--help to a full device: exit code 0"

headless "$program" >out.txt 2>err.txt
code=$?
[ "$code" -eq 1 ] || fail "no display: exit code $code"
[ "$(wc -l <err.txt)" -eq 1 ] || fail "no display: $(cat err.txt)"
[ ! -s out.txt ] || fail "no display: standard output $(cat out.txt)"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:65000 "$program" 2>err.txt
code=$?
[ "$code" -eq 1 ] || fail "unreachable display: exit code $code"
[ "$(wc -l <err.txt)" -eq 1 ] || fail "unreachable display: $(cat err.txt)"

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed; the tests on a display did not run"
    [ "$failures" -eq 0 ] && exit 77
    exit 1
  fi
done
# A free display: the server picks it and writes its number once it takes
# clients; the read waits for that line (or the end, when it fails).
xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT
mkfifo display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display 2>xvfb.log &
xvfb_pid=$!
read -r number <display
if [ -z "$number" ]; then
  echo "FAIL: Xvfb did not start: $(cat xvfb.log)" >&2
  exit 1
fi
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# The program in the background with remembered settings in config/ (the
# arguments are the program's); its standard error goes to err.txt.
start() {
  env -u MORBILEX_NO_SETTINGS XDG_CONFIG_HOME="$folder/config" "$program" "$@" 2>err.txt &
  program_pid=$!
}
# Waits until a window of exactly this title is shown.
wait_for_window() { xdotool search --sync --onlyvisible --name "^$1\$" >/dev/null; }
# Waits for the program's end; its exit code must be 0, the trace gone and
# the settings kept.
ended_as_by_exit() {
  wait "$program_pid"
  local code=$?
  program_pid=""
  [ "$code" -eq 0 ] || fail "$1: exit code $code"
  [ ! -e temp.dat ] || fail "$1: temp.dat left"
  [ -s config/morbilex/settings.morbilex ] || fail "$1: settings not kept"
}

for signal in TERM INT HUP; do
  rm -rf config
  start
  wait_for_window Morbilex
  kill "-$signal" "$program_pid"
  ended_as_by_exit "SIG$signal"
done

# The box about the file at start: the signal ends the program from there,
# and a pipe or a folder is refused without waiting on it.
printf 'R_0 = 3\nlatent_period = 2,5\n' >refused.morbilex
printf 'R_0 = 1e308\n' >overflowing.morbilex
mkfifo pipe.morbilex
mkdir folder.morbilex
for case in "refused.morbilex:Open Scenario" "pipe.morbilex:Open Scenario" \
  "folder.morbilex:Open Scenario" "overflowing.morbilex:Error"; do
  rm -rf config
  start "${case%%:*}"
  wait_for_window "${case#*:}"
  kill -TERM "$program_pid"
  ended_as_by_exit "SIGTERM in the box about ${case%%:*}"
done

# Remembered settings it cannot read: kept aside, told once on standard
# error, and a fresh file at exit.
rm -rf config
mkdir -p config/morbilex
printf 'R_0 = 3\nnewer_field = 1\n' >config/morbilex/settings.morbilex
start
wait_for_window Morbilex
kill -TERM "$program_pid"
ended_as_by_exit "unreadable settings"
[ "$(grep -c '^morbilex: .*settings.morbilex.bad' err.txt)" -eq 1 ] ||
  fail "unreadable settings: standard error $(cat err.txt)"
[ "$(cat config/morbilex/settings.morbilex.bad 2>/dev/null)" = "$(printf 'R_0 = 3\nnewer_field = 1')" ] ||
  fail "unreadable settings: not kept aside"
exit $((failures > 0))
