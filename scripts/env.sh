# Shared set-up for the scripts (demo, test, listen, package): installs what is missing on a
# Debian machine, starts a display when there is none and prepares a 32-bit Wine
# prefix. Sourced, not run. Quiet when everything is already in place.

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
  local p missing=""
  for p in $REQUIRED_PACKAGES; do
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
  apt-get update -qq >/dev/null &&
    apt-get install -y -qq --no-install-recommends $missing >/dev/null || {
      log "apt-get failed to install:$missing"; return 1; }
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
    apt-get update -qq >/dev/null &&
      apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null || {
        log "apt-get failed to install qemu-user-static from bookworm-backports"; return 1; }
  fi
  # A native wineserver spares the emulator the busiest process.
  dpkg-query -W -f='${Status}\n' wine64 2>/dev/null | grep -q '^install ok installed$' ||
    apt-get install -y -qq --no-install-recommends wine64 >/dev/null || true
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  # The F flag pins the interpreter file at registration, so an upgraded QEMU
  # needs the handler registered again.
  [ -e "$I386_HANDLER" ] && echo -1 >"$I386_HANDLER"
  printf ':qemu-i386:M::%s:%s:/usr/bin/qemu-i386-static:F' "$I386_MAGIC" "$I386_MASK" \
    >/proc/sys/fs/binfmt_misc/register || return 1
  runs_i386 || { log "32-bit Wine still cannot start under QEMU"; return 1; }
}

# Starts Xvfb on a free display number when no display is set.
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=99
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # A session of its own: Ctrl+C in the terminal would otherwise stop the X
  # server under Wine's feet, which then says "X connection ... broken";
  # stop_wineserver ends it after Wine.
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  log "Xvfb did not start on :$n"
  return 1
}

# Creates the prefix once, with no window manager assumed: unmanaged windows
# close at once, and a crash prints instead of opening a dialog.
ensure_wineprefix() {
  if [ ! -f "$WINEPREFIX/.halder-ready" ]; then
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
start_wineserver() {
  if wineserver -p >/dev/null 2>&1 </dev/null; then
    STARTED_WINESERVER=1
  fi
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
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

configure_and_build() {
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake --preset win32 -S "$ROOT" >/dev/null || return 1
  fi
  cmake --build "$BUILD_DIR" -j"$(nproc)" -- --no-print-directory >"$ROOT/build/build.log" 2>&1 || {
    cat "$ROOT/build/build.log" >&2; return 1; }
}

# silence_until_window BYTES: writes BYTES of zeros (silence in s16 or f32),
# so the stand-in starts, then waits for the plug-in's window, which opens
# just before the first frame. A live source started after it neither plays
# before the picture can show it nor piles up while Wine starts.
silence_until_window() {
  head -c "$1" /dev/zero
  timeout 60 xdotool search --sync --onlyvisible --name '^TOLVA$' >/dev/null || true
}
