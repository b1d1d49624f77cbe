#!/usr/bin/env bash
# The Linux program's command line without a display: --help and --version
# answer and exit, a missing display is told in one line with exit code 1, and
# SIGTERM, SIGINT and SIGHUP end a running program as Exit does.
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

for signal in TERM INT HUP; do
  QT_QPA_PLATFORM=offscreen "$program" 2>/dev/null &
  pid=$!
  sleep 1
  kill "-$signal" "$pid"
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "SIG$signal: still running"
    kill -KILL "$pid"
  fi
  wait "$pid"
  code=$?
  [ "$code" -eq 0 ] || fail "SIG$signal: exit code $code"
done
exit $((failures > 0))
