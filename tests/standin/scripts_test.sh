#!/usr/bin/env bash
# scripts/listen and scripts/demo as a user runs them. Starts a private
# PulseAudio whose only output is a null sink with a 3 kHz sine playing into
# it; runs scripts/listen on it, and scripts/demo on a file holding that
# tone, both with --capture, and checks that the bar for 3 kHz stands, with
# no gap, from half a second into the recording and from the file's first
# lit frame on, while a bar far from it does not. (A null sink makes a new
# stream wait up to two seconds, which the scripts must hide.) Then a table
# of mistakes and of Ctrl+C, each of which must end within a few seconds
# with its exit code and one line, leaving no process behind.
# Needs DISPLAY and WINEPREFIX as scripts/test sets them; exits 77 (skipped)
# when PulseAudio or ffmpeg is not installed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
for tool in pulseaudio ffmpeg; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

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
  echo "scripts_test: $*"
  exit 1
}

# A server of our own on its own socket; the cookie stays out of $HOME, and
# a desktop's PipeWire, which the scripts would prefer, is out of reach.
export PULSE_SERVER="unix:$WORK/native" PULSE_COOKIE="$WORK/cookie"
export PIPEWIRE_REMOTE="$WORK/no-pipewire"
start_server() {
  HOME="$WORK" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes \
    -L "module-native-protocol-unix socket=$WORK/native auth-anonymous=1" \
    -L "module-null-sink sink_name=listen_test" \
    -L "module-sine sink=listen_test frequency=3000" >"$WORK/server.log" 2>&1 &
  SERVER_PID=$!
  local _
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  cat "$WORK/server.log"
  fail "PulseAudio did not start"
}

# column_means BAR FRAME...: the mean grey level of bar BAR's column in each
# frame, a line each (bars are 8 pixels apart from x = 38; the bar area is
# 94 pixels high from y = 34).
column_means() {
  /usr/bin/convert "${@:2}" -crop "6x94+$((38 + 8 * $1 + 1))+34" -colorspace gray \
    -format '%[fx:mean]\n' info:
}

# capture_tone FROM COUNT FOLDER SCRIPT [ARGUMENT...]: runs scripts/SCRIPT
# with the arguments and --capture FOLDER, which must succeed and leave
# nothing running. From frame FROM on (a number, or "lit": the first frame
# that shows the tone), COUNT frames in a row must show 3 kHz, bin 78 of
# 1152 at 44.1 kHz, in bar 9 (8 bins a bar), and the first of them must not
# show it in bar 25.
capture_tone() {
  local from=$1 count=$2 folder=$3 what="scripts/$4" status=0 frames unlit far left
  shift 3
  SCRIPTS_TEST_RUN="$WORK" timeout -k 5 60 "$ROOT/scripts/$1" "${@:2}" --capture "$folder" \
    >"$WORK/run.log" 2>&1 || status=$?
  [ "$status" = 0 ] || { cat "$WORK/run.log"; fail "$what exited $status"; }
  frames=("$folder"/frame_*.png)
  [ -e "${frames[0]}" ] || fail "$what: no frames captured"
  read -r from unlit < <(column_means 9 "${frames[@]}" | awk -v from="$from" -v count="$count" '
    { lit[NR - 1] = $1 > 0.25 }
    END {
      if (from == "lit") for (from = 0; from < NR - 1 && !lit[from]; from++) {}
      for (i = from; i < from + count; i++) if (!lit[i]) { print from, i; exit }
      print from, "none"
    }')
  [ "$unlit" = none ] ||
    fail "$what: frame $unlit of ${#frames[@]} does not show the 3 kHz tone; the $count frames from $from must"
  far=$(column_means 25 "${frames[$from]}")
  awk -v far="$far" 'BEGIN { exit !(far < 0.15) }' ||
    fail "$what: a far bar reads $far in frame $from; expected below 0.15"
  left=$(left_behind)
  [ -z "$left" ] || fail "$what left running: $left"
}

# left_behind: the processes still running that a script started: each
# carries SCRIPTS_TEST_RUN in its environment. Wine's own programs (its
# desktop, for one) belong to the prefix's server, which scripts/test runs,
# and one that has ended may wait a moment for that server to reap it.
left_behind() {
  local environ
  for environ in /proc/[0-9]*/environ; do
    { tr '\0' '\n' <"$environ" | grep -qxF "SCRIPTS_TEST_RUN=$WORK"; } 2>/dev/null &&
      ps -o stat=,args= -p "$(basename "$(dirname "$environ")")"
  done | awk '$1 !~ /^Z/ && $2 !~ /^C:\\windows\\system32\\/' || true
}

start_server
# The desktop's sound shows within half a second, and stays.
capture_tone 20 30 "$WORK/frames" listen --seconds 2
# The same tone from a file, given by a relative name as a user would: two
# seconds, of which at least the first one and a half show from the first
# lit frame on.
cd "$WORK"
ffmpeg -v error -f lavfi -i sine=frequency=3000:duration=2 -ac 2 tone.wav
capture_tone lit 60 demo-frames demo tone.wav

printf 'not audio' >noise.mp3
ffmpeg -v error -f lavfi -i sine=frequency=3000:duration=1 cut.flac
truncate -s 10000 cut.flac
# An mp3 cut short decodes without a word from ffmpeg.
ffmpeg -v error -f lavfi -i sine=frequency=3000:duration=3 cut.mp3
truncate -s 20000 cut.mp3

# mistake CODE SECONDS PATTERN [NAME=VALUE...] [interrupt] SCRIPT [ARGUMENT...]:
# runs scripts/SCRIPT with the variables set, which must end within SECONDS
# with exit code CODE, leave nothing running, and write one line matching
# PATTERN (an extended regex) to standard error; or, when CODE is 0 or 130,
# write nothing there and such a line to its output. With "interrupt" it
# runs as a script or CI job starts one, in the background of this shell
# (which leaves it SIGINT ignored) and in a process group of its own, which
# gets SIGINT once the plug-in's window is up; SECONDS count from there.
mistake() {
  local code=$1 seconds=$2 pattern=$3 status=0 start elapsed line left interrupt=""
  shift 3
  local variables=("SCRIPTS_TEST_RUN=$WORK")
  while [[ "$1" == *=* ]]; do
    variables+=("$1")
    shift
  done
  if [ "$1" = interrupt ]; then
    interrupt=1
    shift
  fi
  local what="${variables[*]:1} scripts/$*"
  local script="$ROOT/scripts/$1"
  shift
  start=$(date +%s%N)
  if [ -n "$interrupt" ]; then
    setsid env "${variables[@]}" "$script" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null &
    local run=$!
    timeout 60 xdotool search --sync --onlyvisible --name '^TOLVA$' >/dev/null ||
      fail "$what: the plug-in's window did not open"
    start=$(date +%s%N)
    kill -INT -- "-$run"
    timeout 30 tail --pid="$run" -f /dev/null || kill -KILL -- "-$run"
    wait "$run" || status=$?
  else
    timeout -k 5 30 env "${variables[@]}" "$script" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null ||
      status=$?
  fi
  elapsed=$((($(date +%s%N) - start) / 1000000))
  [ "$status" = "$code" ] || fail "$what: exit $status, expected $code; said: $(cat "$WORK/err")"
  [ "$elapsed" -le $((seconds * 1000)) ] || fail "$what: took $elapsed ms, expected at most $seconds s"
  if [ "$code" = 0 ] || [ "$code" = 130 ]; then
    [ ! -s "$WORK/err" ] || fail "$what: said on standard error: $(cat "$WORK/err")"
    line=$(grep -E -m 1 "$pattern" "$WORK/out") || line=$(cat "$WORK/out")
  else
    [ "$(wc -l <"$WORK/err")" = 1 ] || fail "$what: said, expected one line: $(cat "$WORK/err")"
    line=$(cat "$WORK/err")
  fi
  [[ "$line" =~ $pattern ]] || fail "$what: said \"$line\", expected /$pattern/"
  left=$(left_behind)
  [ -z "$left" ] || fail "$what: left running: $left"
}

# The rows the stand-in answers (its own words, "standin: ...") wait for
# Wine to start, so they are allowed a little more time.
#       exit  s  the line                                     [variable] script argument...
mistake 0     2  '^usage: scripts/listen '                    listen --help
mistake 0     2  '^usage: scripts/demo '                      demo -h
mistake 2     2  '^listen: --bogus: unknown option'           listen --bogus
mistake 2     2  '^listen: tone\.wav: takes no file'          listen tone.wav
mistake 2     2  '^demo: --capture: needs a value'            demo tone.wav --capture
mistake 2     2  '^demo: .*tone\.wav: one file at most'       demo tone.wav tone.wav
mistake 2     3  '^standin: .*abc'                            listen --frames abc
mistake 2     3  '^standin: .*demo-frames'                    demo tone.wav --capture demo-frames
mistake 7     2  '^demo: .*: a folder, not an audio file$'    demo "$WORK"
mistake 7     2  '^demo: .*/missing\.flac: no such file$'     demo missing.flac
mistake 7     3  '^demo: .*noise\.mp3: ffmpeg cannot decode'  demo noise.mp3
mistake 7     5  '^demo: .*cut\.flac: ffmpeg could not decode all of it' demo cut.flac --offline
mistake 7     5  '^demo: .*cut\.mp3: ffmpeg could not decode all of it' demo cut.mp3 --offline
mistake 9     3  '^listen: no display'                        DISPLAY=:9876 listen
mistake 1     3  '^listen: no sound server answers'           "PULSE_SERVER=unix:$WORK/nothing" listen
mistake 130   3  '^rendered [0-9]+ frames \(interrupted\)'   interrupt listen
echo "scripts_test: passed"
