#!/usr/bin/env bash
# Usage: monitors_test.sh MONITORS_TEST_EXE
# Runs the monitor-layout tests, each layout on a desktop of two monitors of
# its own: Xephyr with one screen per monitor and Xinerama, nested in a
# private Xvfb so that nothing opens on the developer's own display. Wine
# reads the monitors when its server starts, so every layout gets a fresh
# wineserver, in a prefix kept for these tests beside the main one.
set -euo pipefail
EXE=$1
source "$(dirname "$0")/../../scripts/env.sh"
export WINEPREFIX="$ROOT/build/wineprefix-monitors"

PIDS=()
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

fail() {
  echo "monitors_test: $*"
  exit 1
}

# start_x SERVER ARG...: an X server on a free display, ended with the test.
start_x() {
  start_x_server 70 "$@" || fail "$1 did not start"
  PIDS+=("$X_PID")
}

# A wineserver of this prefix's own for each layout, and one finished wine
# process first, so that no helper of Wine's holds CTest's pipes.
start_wine() {
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

start_x Xvfb -screen 0 2560x2048x24
export DISPLAY=$X_DISPLAY
ensure_wineprefix
mapfile -t layouts < <(wine "$EXE" --layouts </dev/null | tr -d '\r')
[ "${#layouts[@]}" -gt 0 ] || fail "$EXE listed no layouts"
stop_wine

status=0
for layout in "${layouts[@]}"; do
  read -r name screens <<<"$layout"
  # Xephyr's own RandR would report a single output, and Wine asks RandR
  # before Xinerama.
  # shellcheck disable=SC2086
  start_x Xephyr $screens +xinerama -extension RANDR
  DISPLAY=$X_DISPLAY start_wine
  DISPLAY=$X_DISPLAY wine "$EXE" "$name" --gtest_brief=1 </dev/null || status=1
  stop_wine
  kill "${PIDS[-1]}" 2>/dev/null || true
  wait "${PIDS[-1]}" 2>/dev/null || true
done
[ "$status" = 0 ] || fail "a layout failed"
echo "monitors_test: passed"
