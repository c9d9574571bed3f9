# shellcheck shell=bash
# Shared set-up for the scripts (demo, test, listen, package): installs what is missing on a
# Debian machine, starts a display when there is none and prepares a 32-bit Wine
# prefix. Sourced, not run. Quiet when everything is already in place; a step
# that has work to do (installing, making the prefix, building) says so.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR="$ROOT/build/win32"
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

# Debian packages the build, the tests and the demo need (nsis: the build
# makes the setup program, which the tests install and remove).
REQUIRED_PACKAGES="cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth xdotool googletest
  libstb-dev imagemagick nsis"

log() { printf '%s\n' "$*" >&2; }

missing_packages() {
  local packages p missing=""
  # The list spans lines: read to its end, not to the first line's.
  read -rd '' -a packages <<<"$REQUIRED_PACKAGES" || true
  # One query answers the usual case, everything installed; only otherwise
  # is each package asked about, to name the missing ones.
  [ "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null |
    grep -c '^install ok installed$')" = "${#packages[@]}" ] && return 0
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' \
      || missing="$missing $p"
  done
  printf '%s' "$missing"
}

ensure_packages() {
  install_missing_packages && ensure_i386
}

install_missing_packages() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    log "missing packages:$missing (run as root to install them)"
    return 1
  fi
  log "installing:$missing"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  local packages
  read -ra packages <<<"$missing"
  if ! apt-get update -qq >/dev/null ||
     ! apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null; then
    log "apt-get failed to install:$missing"
    return 1
  fi
}

# Some x86-64 kernels (certain virtual machines) cannot run 32-bit programs,
# and 32-bit Wine is one. There, i386 programs go through QEMU's user-mode
# emulator, registered with the kernel's binfmt_misc. Bookworm's own QEMU 7.2
# ignores MAP_FIXED_NOREPLACE, which leaves Wine scanning its address space
# for minutes at every start, so the backported QEMU (8 or later) is used.
I386_HANDLER=/proc/sys/fs/binfmt_misc/qemu-i386
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

ensure_i386() {
  runs_i386 && return 0
  [ "$(id -u)" = 0 ] || { log "this kernel cannot run 32-bit programs (run as root to set up QEMU)"; return 1; }
  log "this kernel cannot run 32-bit programs: setting up QEMU's user-mode emulator"
  local qemu_version
  qemu_version=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null | sed 's/^[0-9]*://')
  if [ -z "$qemu_version" ] || dpkg --compare-versions "$qemu_version" lt 8; then
    local backports=/etc/apt/sources.list.d/bookworm-backports.list
    grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/ ||
      echo 'deb http://deb.debian.org/debian bookworm-backports main' >"$backports"
    export DEBIAN_FRONTEND=noninteractive
    if ! apt-get update -qq >/dev/null ||
       ! apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null; then
      log "apt-get failed to install qemu-user-static from bookworm-backports"
      return 1
    fi
  fi
  # A native wineserver spares the emulator the busiest process.
  dpkg-query -W -f='${Status}\n' wine64 2>/dev/null | grep -q '^install ok installed$' ||
    apt-get install -y -qq --no-install-recommends wine64 >/dev/null || true
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
    { log "cannot mount binfmt_misc to register QEMU"; return 1; }
  # The F flag pins the interpreter file at registration, so an upgraded QEMU
  # needs the handler registered again.
  [ -e "$I386_HANDLER" ] && echo -1 >"$I386_HANDLER"
  printf ':qemu-i386:M::%s:%s:/usr/bin/qemu-i386-static:F' "$I386_MAGIC" "$I386_MASK" \
    >/proc/sys/fs/binfmt_misc/register ||
    { log "the kernel refused QEMU's registration for i386 programs"; return 1; }
  runs_i386 || { log "32-bit Wine still cannot start under QEMU"; return 1; }
}

# start_x_server FIRST SERVER ARG...: starts an X server on the first free
# display number from FIRST on and waits for its socket; sets X_DISPLAY and
# X_PID. A session of its own: Ctrl+C in the terminal would otherwise stop
# the X server under Wine's feet, which then says "X connection ... broken".
# Two scripts may pick the same free number at once; the one whose server
# lost the race (its lock file names the other) goes on to the next number,
# so that two runs never share a display and draw over each other's windows.
start_x_server() {
  local n=$1 server=$2 i owner
  shift 2
  while :; do
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    setsid "$server" ":$n" "$@" -nolisten tcp >/dev/null 2>&1 &
    X_PID=$!
    X_DISPLAY=":$n"
    for i in $(seq 50); do
      owner=$(tr -dc 0-9 2>/dev/null <"/tmp/.X$n-lock") || owner=""
      if [ -e "/tmp/.X11-unix/X$n" ] && [ "$owner" = "$X_PID" ]; then
        return 0
      fi
      kill -0 "$X_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$X_PID" 2>/dev/null; then
      log "$server did not start on :$n"
      return 1
    fi
    n=$((n + 1))
  done
}

# Starts Xvfb when no display is set; stop_wineserver ends it after Wine.
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  start_x_server 99 Xvfb -screen 0 1280x1024x24 || return 1
  XVFB_PID=$X_PID
  export DISPLAY=$X_DISPLAY
}

# Creates the prefix once, with no window manager assumed: unmanaged windows
# close at once, and a crash prints instead of opening a dialog.
ensure_wineprefix() {
  if [ ! -f "$WINEPREFIX/.halder-ready" ]; then
    log "making the Wine prefix in $WINEPREFIX (once, a minute or two)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.halder-ready"
  fi
}

# A persistent wineserver plus one finished wine process, so that each test
# starts at once and no helper keeps the test runner's pipes open.
# A server already running for the prefix is used as it is, and left running.
# The wine process, which takes a few seconds, runs while the build does:
# wine_ready waits for it.
start_wineserver() {
  if wineserver -p >/dev/null 2>&1 </dev/null; then
    STARTED_WINESERVER=1
  fi
  wine cmd /c exit </dev/null >/dev/null 2>&1 &
  WINE_WARMING=$!
}

wine_ready() {
  [ -z "${WINE_WARMING:-}" ] || wait "$WINE_WARMING" || true
  WINE_WARMING=""
}

# Stops only what this script started.
stop_wineserver() {
  if [ -n "${STARTED_WINESERVER:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}

# The tests that run Wine on a prefix of their own give it a fresh server for
# each setting that Wine reads only when its server starts (the monitors,
# the DPI, a mount namespace's read-only folders).
# fresh_wineserver: starts the prefix's server and one finished wine process
# first, so that no helper of Wine's holds CTest's pipes.
fresh_wineserver() {
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# end_wineserver: ends the prefix's server and waits for all of it to end.
end_wineserver() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

# start_own_x SERVER ARG...: for a test script, an X server of its own on a
# free display from :70 on (X_DISPLAY, X_PID), ended with the script after
# the prefix's Wine; a server that does not start ends the script.
OWN_X_PIDS=()
start_own_x() {
  if ! start_x_server 70 "$@"; then
    echo "$(basename "$0"): $1 did not start"
    exit 1
  fi
  OWN_X_PIDS+=("$X_PID")
  trap end_own_servers EXIT
}

# stop_own_x: ends the X server that start_own_x started last.
stop_own_x() {
  kill "$X_PID" 2>/dev/null || true
  wait "$X_PID" 2>/dev/null || true
}

end_own_servers() {
  wineserver -k >/dev/null 2>&1 || true
  local pid
  for pid in "${OWN_X_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

# configure_and_build TARGET...: builds the targets ("all" for everything).
# Quiet when nothing needs building; otherwise make's lines of what it
# compiles and links show the progress, and a failure prints the whole log,
# which stays in build/build.log.
configure_and_build() {
  local build_log="$ROOT/build/build.log"
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    log "configuring the build in $BUILD_DIR"
    cmake --preset win32 -S "$ROOT" >/dev/null || return 1
    log "building (a few minutes the first time)"
  fi
  if cmake --build "$BUILD_DIR" -j"$(nproc)" --target "$@" -- --no-print-directory 2>&1 |
       tee "$build_log" | sed -nu '/Built target/d; /^\[ *[0-9]*%\] /p' >&2
     [ "${PIPESTATUS[0]}" = 0 ]; then
    return 0
  fi
  cat "$build_log" >&2
  return 1
}

# ---------------------------------------------------------------------------
# Running the stand-in from demo and listen: their command lines, the display,
# Ctrl+C, and a live source started once the plug-in's window is up.

# The stand-in's options that the scripts pass on, those that take a value
# first. The audio input (a file, --raw, --raw-format) is the scripts' own
# business, and --bench runs without audio.
STANDIN_VALUE_OPTIONS="--frames --seconds --capture --click"
STANDIN_FLAG_OPTIONS="--offline --about"

# standin_options_help: the lines of a script's --help that describe them.
standin_options_help() {
  cat <<'HELP'
Options (all but --help go on to the player stand-in):
  --frames N      stop after N frames
  --seconds S     stop after S seconds of audio
  --offline       render as fast as possible, the audio advancing 25 ms a frame
  --capture DIR   save the plug-in's window after each frame as
                  DIR/frame_00000.png, ...; DIR is made if missing and refused
                  if it already holds frame_*.png files
  --click F:X,Y   click client point X,Y of the plug-in's window just before
                  frame F (0 is the first); may be given many times
  --about         show the plug-in's About box first
  -h, --help      print this help and exit
HELP
}

# read_arguments NAME MAX_FILES ARG...: sorts a script's command line into
# SCRIPT_HELP (1 when -h or --help comes before any mistake), SCRIPT_FILES (the plain
# arguments, made absolute) and STANDIN_OPTIONS (passed on as given, with
# --capture's folder made absolute: the scripts run the stand-in from the
# build folder). A mistake is one line naming it; the return is then 2, the
# stand-in's code for a bad command line. Values are checked by the stand-in.
read_arguments() {
  local name=$1 max_files=$2 arg option value
  shift 2
  SCRIPT_HELP=0
  SCRIPT_FILES=()
  STANDIN_OPTIONS=()
  while [ $# -gt 0 ]; do
    arg=$1
    shift
    # shellcheck disable=SC2034 # SCRIPT_HELP is read by the script
    case "$arg" in
      -h|--help) SCRIPT_HELP=1; return 0 ;;
      --) SCRIPT_FILES+=("$@"); break ;;
      --*) ;;
      -?*) log "$name: $arg: unknown option (try --help)"; return 2 ;;
      *) SCRIPT_FILES+=("$arg"); continue ;;
    esac
    option=${arg%%=*}
    if [[ " $STANDIN_FLAG_OPTIONS " == *" $option "* ]]; then
      [ "$option" = "$arg" ] || { log "$name: $arg: takes no value (try --help)"; return 2; }
      STANDIN_OPTIONS+=("$arg")
    elif [[ " $STANDIN_VALUE_OPTIONS " == *" $option "* ]]; then
      if [ "$option" != "$arg" ]; then
        value=${arg#*=}
      elif [ $# -gt 0 ]; then
        value=$1
        shift
      else
        log "$name: $arg: needs a value (try --help)"
        return 2
      fi
      [ "$option" = --capture ] && value=$(absolute_path "$value")
      STANDIN_OPTIONS+=("$option" "$value")
    else
      log "$name: $arg: unknown option (try --help)"
      return 2
    fi
  done
  if [ "${#SCRIPT_FILES[@]}" -gt "$max_files" ]; then
    if [ "$max_files" = 0 ]; then
      log "$name: ${SCRIPT_FILES[0]}: takes no file (try --help)"
    else
      log "$name: ${SCRIPT_FILES[$max_files]}: one file at most (try --help)"
    fi
    return 2
  fi
  local i
  for i in "${!SCRIPT_FILES[@]}"; do
    SCRIPT_FILES[i]=$(absolute_path "${SCRIPT_FILES[$i]}")
  done
}

absolute_path() {
  case "$1" in
    /*) printf '%s' "$1" ;;
    *) printf '%s/%s' "$PWD" "$1" ;;
  esac
}

# has_standin_option OPTION...: whether any of them was given.
has_standin_option() {
  local arg option
  for arg in "${STANDIN_OPTIONS[@]}"; do
    for option in "$@"; do
      [ "${arg%%=*}" = "$option" ] && return 0
    done
  done
  return 1
}

# restore_sigint ARG...: called with the script's arguments before anything
# else. A script started in the background by a non-interactive shell (by
# another script, or a CI job) inherits SIGINT ignored, which bash can
# neither trap nor reset; Wine takes SIGINT all the same, so the stand-in
# would end as interrupted while the script carried on and exited 0. The
# script starts again with SIGINT at its default, so that SIGINT ends it
# with 130 however it was started.
restore_sigint() {
  [ "$(trap -p INT)" = "trap -- '' SIGINT" ] || return 0
  exec env --default-signal=INT "$0" "$@"
}

# begin_run: from here on the script's end, however it comes (a kill
# included), stops what it started, Wine before the X server. Ctrl+C ends
# it with 130 once the stand-in and its sources have ended, although the
# stand-in then ends as if its window had closed: nothing goes on to later
# steps. RUN_TEMP is a folder for the run's own files, removed at the end.
begin_run() {
  RUN_TEMP=$(mktemp -d)
  WAKERS=()
  trap end_run EXIT
  trap 'exit 130' INT
}

end_run() {
  if [ "${#WAKERS[@]}" -gt 0 ]; then
    kill "${WAKERS[@]}" 2>/dev/null || true
    wait "${WAKERS[@]}" 2>/dev/null || true
  fi
  stop_wineserver
  rm -rf "$RUN_TEMP"
}

# check_display NAME: a display named by DISPLAY that no X server answers
# ends the script with one line and the stand-in's code for it, 9.
check_display() {
  xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
  log "$1: no display: no X server answers on DISPLAY=$DISPLAY"
  exit 9
}

# The default output's monitor as 32-bit float at 44.1 kHz, on PulseAudio
# (or PipeWire's PulseAudio service). A short latency keeps the picture
# close to what is heard.
# shellcheck disable=SC2034 # used by the scripts
MONITOR_RECORDER=(parec --device=@DEFAULT_MONITOR@ --format=float32le --rate=44100 --channels=2
                  --latency-msec=20)

# wake_sound_server RECORDER...: starts RECORDER, a command that records the
# desktop's sound to standard output at a short latency, and drops what it
# records until the run ends. PulseAudio's null sink (the sink of a machine
# without sound hardware) runs in blocks of up to two seconds while no
# stream asks for less, and a stream that asks for less waits for the
# block under way to end: a player or recorder started on it would begin up
# to two seconds late, while the picture ran on without it. This stream,
# started while the rest is set up, takes that wait instead.
wake_sound_server() {
  local pipe="$RUN_TEMP/waking"
  mkfifo "$pipe"
  "$@" </dev/null >"$pipe" 2>/dev/null &
  WAKERS+=("$!")
  { [ "$(head -c 1 | wc -c)" = 1 ] && : >"$RUN_TEMP/awake"; exec cat >/dev/null; } <"$pipe" &
  WAKERS+=("$!")
}

# sound_server_awake: whether the recorder wake_sound_server started has
# recorded something (true when none was started).
sound_server_awake() {
  [ "${#WAKERS[@]}" = 0 ] || [ -e "$RUN_TEMP/awake" ]
}

# silence_until_window BYTES STANDIN_PID_FILE: once the sound server is awake
# (or three seconds have gone by), writes BYTES of zeros (silence in s16 or
# f32), so the stand-in starts: it opens the plug-in's window on its first
# audio. Then waits for that window. A live source started after it neither
# plays before the picture can show it nor piles up while Wine starts, and
# is shown from its first moment. Returns 1 as soon as the stand-in whose
# process id the file holds has ended without a window (a bad option, no
# display, a failed init).
silence_until_window() {
  local pid="" polls=0 started=""
  while :; do
    [ -n "$pid" ] || pid=$(cat "$2" 2>/dev/null) || true
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      return 1
    fi
    if [ -n "$started" ]; then
      xdotool search --onlyvisible --name '^TOLVA$' >/dev/null 2>&1 && return 0
    elif sound_server_awake || [ "$polls" -ge 30 ]; then
      head -c "$1" /dev/zero 2>/dev/null || true
      started=1
      continue
    fi
    polls=$((polls + 1))
    sleep 0.1
  done
}

# feed_standin BYTES SOURCE [STAND-IN OPTION...]: runs the plug-in in the
# stand-in with the options, its standard input BYTES of silence and then
# what the command SOURCE writes, started once the plug-in's window is up
# and never when the stand-in ends first. Returns the stand-in's exit code:
# a source learns that the window has gone only when its next write fails,
# which is no fault of its own.
feed_standin() {
  local bytes=$1 source=$2 pid_file="$RUN_TEMP/standin.pid"
  shift 2
  local -
  set +o pipefail
  : >"$pid_file"
  {
    silence_until_window "$bytes" "$pid_file" && $source
  } | {
    # exec: the process id written is the stand-in's own.
    echo "$BASHPID" >"$pid_file"
    exec wine standin.exe vis_halder.dll "$@"
  }
}
