#!/usr/bin/env bash
# Ending a run while the stand-in's reader waits on a pipe that stays open
# and quiet, as a paused decoder or a silent recorder leaves it: Ctrl+C (the
# SIGINT a terminal sends) and a click on the plug-in's close button each
# end the run within a second, exit 0 and say how the run ended. Ctrl+C
# before any audio came is no failure either: exit 0, nothing said.
# Usage: stop_test.sh WINE STANDIN PLUGIN (DISPLAY and WINEPREFIX set).
set -euo pipefail
wine=$1 standin=$2 plugin=$3
work=$(mktemp -d)
writer=""
cleanup() {
  [ -z "$writer" ] || kill "$writer" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "stop_test: $*"
  exit 1
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# stop_run HOW EXPECTED: starts a run fed a tenth of a second of audio and
# then nothing (before-audio: nothing at all), waits for the plug-in's window
# (before-audio: for the plug-in to be loaded, which Wine's trace tells; the
# stand-in takes Ctrl+C from before that on), ends the run HOW, and checks
# the time it takes, the exit code and the closing line.
stop_run() {
  local audio=17640
  [ "$1" != before-audio ] || audio=0
  mkfifo "$work/pipe"
  { head -c "$audio" /dev/zero; exec sleep 60; } >"$work/pipe" &
  writer=$!
  WINEDEBUG=+loaddll "$wine" "$standin" "$plugin" --raw 44100 2 <"$work/pipe" >"$work/out" 2>&1 &
  local run=$!
  local window tries=600
  if [ "$1" = before-audio ]; then
    until grep -q 'Loaded .*vis_halder' "$work/out"; do
      tries=$((tries - 1))
      [ "$tries" -gt 0 ] || fail "$1: the plug-in was not loaded"
      sleep 0.1
    done
  else
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^TOLVA$' | head -n 1) ||
      fail "$1: the plug-in's window did not open"
    sleep 0.5
  fi
  local start status=0
  start=$(now_ms)
  case $1 in
    ctrl-c | before-audio) kill -INT "$run" ;;
    close) xdotool mousemove --window "$window" 356 7 click 1 ;;
  esac
  wait "$run" || status=$?
  local took=$(($(now_ms) - start))
  kill "$writer" 2>/dev/null || true
  writer=""
  rm -f "$work/pipe"
  local said
  said=$(grep -v ':loaddll:' "$work/out" || true)
  [ "$status" = 0 ] || fail "$1: exit $status: $said"
  if [ "$1" = before-audio ]; then
    [ -z "$said" ] || fail "$1: said $said"
  else
    grep -q "rendered [0-9]* frames ($2)" <<<"$said" || fail "$1: said $said"
  fi
  [ "$took" -lt 1000 ] || fail "$1: the run took $took ms to end"
  echo "stop_test: $1 ended the run in $took ms"
}

stop_run before-audio
stop_run ctrl-c interrupted
stop_run close "window closed"
