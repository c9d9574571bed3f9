#!/usr/bin/env bash
# Usage: dpi_test.sh DPI_TEST_EXE
# Runs the display-scale tests once per row of the program's table, each with
# Wine's DPI (LogPixels under HKCU\Control Panel\Desktop) set to the row's and
# on a private Xvfb of the row's screen size. Wine takes the DPI when its
# server starts, so every row gets a fresh wineserver, in a prefix kept for
# these tests beside the main one. The first row, at 96, keeps the pictures
# that the others are compared with.
set -euo pipefail
EXE=$1
source "$(dirname "$0")/../../scripts/env.sh"
export WINEPREFIX="$ROOT/build/wineprefix-dpi"

fail() {
  echo "dpi_test: $*"
  exit 1
}

# set_dpi DPI: writes LogPixels, lets the server that wrote it end (which
# saves the registry), then starts the one the row runs on.
set_dpi() {
  end_wineserver
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1 || fail "cannot set LogPixels to $1"
  wineserver -w >/dev/null 2>&1 || true
  fresh_wineserver
}

start_own_x Xvfb -screen 0 1280x1024x24
export DISPLAY=$X_DISPLAY
ensure_wineprefix
mapfile -t rows < <(wine "$EXE" --rows </dev/null | tr -d '\r')
[ "${#rows[@]}" -gt 0 ] || fail "$EXE listed no rows"
# A row that fails to draw must not leave the others an old run's pictures.
rm -f "$(dirname "$EXE")/../../dpi-reference.bin"

status=0
for row in "${rows[@]}"; do
  read -r name dpi size <<<"$row"
  start_own_x Xvfb -screen 0 "${size}x24"
  export DISPLAY=$X_DISPLAY
  set_dpi "$dpi"
  wine "$EXE" "$name" --gtest_brief=1 </dev/null || status=1
  end_wineserver
  stop_own_x
done
[ "$status" = 0 ] || fail "a row failed"
echo "dpi_test: passed"
