#!/usr/bin/env bash
# scripts/listen against a real sound server: starts a private PulseAudio
# whose only output is a null sink with a 3 kHz sine playing into it, runs
# scripts/listen for five seconds with --capture, and checks that the bar
# for 3 kHz stands in the last frame while a bar far from it does not. Then
# checks that with no server answering it says so and exits 1.
# Needs DISPLAY and WINEPREFIX as scripts/test sets them; exits 77 (skipped)
# when PulseAudio is not installed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
command -v pulseaudio >/dev/null || { echo "pulseaudio is not installed"; exit 77; }

WORK=$(mktemp -d)
SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ]; then
    kill "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "listen_test: $*"
  exit 1
}

# A server of our own on its own socket; the cookie stays out of $HOME, and
# a desktop's PipeWire, which scripts/listen would prefer, is out of reach.
export PULSE_SERVER="unix:$WORK/native" PULSE_COOKIE="$WORK/cookie"
export PIPEWIRE_REMOTE="$WORK/no-pipewire"
start_server() {
  HOME="$WORK" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes \
    -L "module-native-protocol-unix socket=$WORK/native auth-anonymous=1" \
    -L "module-null-sink sink_name=listen_test" \
    -L "module-sine sink=listen_test frequency=3000" >"$WORK/server.log" 2>&1 &
  SERVER_PID=$!
  local i
  for i in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  cat "$WORK/server.log"
  fail "PulseAudio did not start"
}

# column_mean FRAME BAR: the mean grey level of bar BAR's column (bars are
# 8 pixels apart from x = 38; the bar area is 94 pixels high from y = 34).
column_mean() {
  /usr/bin/convert "$1" -crop "6x94+$((38 + 8 * $2 + 1))+34" -colorspace gray \
    -format '%[fx:mean]' info:
}

start_server
status=0
# Five seconds: how soon the stand-in first shows a steady live stream
# varies from run to run (0.1 to 2 s here).
"$ROOT/scripts/listen" --seconds 5 --capture "$WORK/frames" >"$WORK/listen.log" 2>&1 || status=$?
[ "$status" = 0 ] || { cat "$WORK/listen.log"; fail "scripts/listen exited $status"; }
last=$(ls "$WORK/frames" | sort | tail -n 1)
[ -n "$last" ] || fail "no frames captured"
# 3 kHz is bin 78 of 1152 at 44.1 kHz, in bar 9 (8 bins a bar).
tone=$(column_mean "$WORK/frames/$last" 9)
far=$(column_mean "$WORK/frames/$last" 25)
awk -v tone="$tone" -v far="$far" 'BEGIN { exit !(tone > 0.25 && far < 0.15) }' ||
  fail "the 3 kHz bar reads $tone and a far bar $far in $last; expected above 0.25 and below 0.15"

status=0
message=$(PULSE_SERVER="unix:$WORK/nothing" "$ROOT/scripts/listen" 2>&1) || status=$?
[ "$status" = 1 ] || fail "with no server scripts/listen exited $status"
case "$message" in
  *"no sound server answers"*) ;;
  *) fail "with no server scripts/listen said: $message" ;;
esac
echo "listen_test: passed"
