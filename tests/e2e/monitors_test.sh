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

fail() {
  echo "monitors_test: $*"
  exit 1
}

start_own_x Xvfb -screen 0 2560x2048x24
export DISPLAY=$X_DISPLAY
ensure_wineprefix
mapfile -t layouts < <(wine "$EXE" --layouts </dev/null | tr -d '\r')
[ "${#layouts[@]}" -gt 0 ] || fail "$EXE listed no layouts"
end_wineserver

status=0
for layout in "${layouts[@]}"; do
  read -r name screens <<<"$layout"
  # Xephyr's own RandR would report a single output, and Wine asks RandR
  # before Xinerama.
  # shellcheck disable=SC2086
  start_own_x Xephyr $screens +xinerama -extension RANDR
  DISPLAY=$X_DISPLAY fresh_wineserver
  DISPLAY=$X_DISPLAY wine "$EXE" "$name" --gtest_brief=1 </dev/null || status=1
  end_wineserver
  stop_own_x
done
[ "$status" = 0 ] || fail "a layout failed"
echo "monitors_test: passed"
