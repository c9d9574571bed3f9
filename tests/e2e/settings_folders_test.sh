#!/usr/bin/env bash
# Usage: settings_folders_test.sh SETTINGS_FOLDERS_TEST_EXE
# Runs the settings table of settings_folders_test.cpp. As root only a
# read-only bind mount stops a write, and Wine's server is the process that
# opens files, so the table runs in a mount namespace of its own (unshare -m)
# where the read-only rows' folders and files are mounted read-only and a
# wineserver is started inside; the way back runs after it, with every folder
# writable again. It keeps a prefix of its own beside the main one, since it
# ends and starts that prefix's server. Where no folder can be made read-only
# (unshare or the mount not permitted), the writable rows run alone, and the
# test says so and exits 77 (skipped).
set -euo pipefail
EXE=$1
source "$(dirname "$0")/../../scripts/env.sh"
export WINEPREFIX="$ROOT/build/wineprefix-settings"
FOLDERS="$WINEPREFIX/drive_c/halder-settings"  # C:\halder-settings to the program

run() {
  wine "$EXE" "$@" --gtest_brief=1 </dev/null
}

# Inside the namespace: nothing of it may outlive it, its server least of all.
if [ "${2:-}" = --read-only ]; then
  trap end_wineserver EXIT
  for path in "$FOLDERS"/read-only-folder/*/Plugins "$FOLDERS"/read-only-file/*/Plugins/plugin.ini; do
    mount --bind "$path" "$path"
    mount -o remount,bind,ro "$path"
  done
  fresh_wineserver
  run --gtest_filter='*WhereverThePlayerLives'
  exit
fi

# Whether a folder can be made read-only here, for root too.
can_make_read_only() {
  local probe="$FOLDERS/probe"
  mkdir -p "$probe"
  # shellcheck disable=SC2016  # $1 is the inner shell's
  unshare -m sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && ! touch "$1/x"' \
    sh "$probe" 2>/dev/null
}

cleanup() {
  end_wineserver
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT
ensure_display
ensure_wineprefix
end_wineserver
rm -rf "$FOLDERS"
fresh_wineserver
run prepare
if ! can_make_read_only; then
  run writable --gtest_filter='*WhereverThePlayerLives'
  echo "settings_folders_test: read-only rows skipped: no read-only bind mount (unshare -m) here"
  exit 77
fi
end_wineserver
unshare -m bash "$0" "$EXE" --read-only
fresh_wineserver
run --gtest_filter='*OnceItCanBeWritten'
