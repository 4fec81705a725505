# Shared set-up for the run and test commands; source it, do not run it.
#
# Tovara2 is a 32-bit Windows program, built here with MinGW-w64. Our build
# machines cannot execute 32-bit x86 code at all (their hypervisor runs 64-bit
# user code only), so neither 32-bit Wine nor Wine's WoW64 mode can start.
# The same sources are therefore also built for 64-bit Windows, and that build
# is what runs under 64-bit Wine for the tests and the run command; the 32-bit
# build is compiled, linked and checked (imports, entry point, size, record
# layouts) alongside it. The 32-bit build's tests run in a guest system under
# qemu's software CPU, whose kernel does run 32-bit code (guest-prepare.sh,
# guest-run.sh; inside it TV2_WINE is the 32-bit Wine).

TV2_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TV2_BUILD32=${TV2_BUILD32:-$TV2_TOP/build}
TV2_BUILD64=${TV2_BUILD64:-$TV2_TOP/build64}
TV2_WINE=${TV2_WINE:-/usr/lib/wine/wine64}
TV2_WINESERVER=${TV2_WINESERVER:-/usr/lib/wine/wineserver64}
export TV2_TOP TV2_BUILD32 TV2_BUILD64 TV2_WINE TV2_WINESERVER
export WINELOADER=$TV2_WINE
export WINEDEBUG=${WINEDEBUG:--all}
# No installer prompts for .NET or Gecko; and no crash dialog: a crashing
# program must end (and fail its test), not wait for a click that never comes.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winedbg.exe=d"}
# Tests and the run command use separate prefixes, so a test run never
# touches the settings of the bar a developer is looking at.
export WINEPREFIX=${WINEPREFIX:-/var/cache/tovara2/prefix-test}

tv2_log() { printf '[tovara2] %s\n' "$*" >&2; }

# Everything the build, the tests and the run command need, from Debian.
tv2_install() {
  local need=()
  command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
  command -v cmake >/dev/null || need+=(cmake)
  [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
  [ -x "$TV2_WINE" ] || need+=(wine wine64 libwine)
  # Wine's own fonts (Tahoma for "MS Shell Dlg 2"): without them text metrics
  # and pictures differ from machine to machine.
  [ -f /usr/share/wine/fonts/tahoma.ttf ] || need+=(fonts-wine)
  command -v Xvfb >/dev/null || need+=(xvfb)
  command -v xdotool >/dev/null || need+=(xdotool)
  command -v import >/dev/null || need+=(imagemagick)
  command -v python3 >/dev/null || need+=(python3)
  tv2_apt_install "${need[@]}"
}

# What preparing and running the 32-bit test guest needs on this machine.
tv2_install_guest_tools() {
  local need=()
  command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
  command -v debootstrap >/dev/null || need+=(debootstrap)
  command -v mkfs.ext4 >/dev/null || need+=(e2fsprogs)
  command -v cpio >/dev/null || need+=(cpio)
  [ -f /usr/share/keyrings/debian-archive-keyring.gpg ] || need+=(debian-archive-keyring)
  tv2_apt_install "${need[@]}"
}

tv2_apt_install() {
  [ $# -gt 0 ] || return 0
  tv2_log "installing $*"
  apt-get update -qq >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/var/tmp/tv2-apt.log 2>&1 ||
    { tv2_log "installing failed, see /var/tmp/tv2-apt.log"; return 1; }
}

TV2_STARTED_XVFB=
TV2_STARTED_WINESERVER=

# An X server (the caller's DISPLAY, or an Xvfb of our own) and a persistent
# wineserver, so that each Wine process starts in milliseconds. Stops only
# what it started (tv2_stop_services).
tv2_start_services() {
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in 90 91 92 93 94 95 96 97 98; do
      [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] && break
    done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"/tmp/tv2-xvfb-$n.log" 2>&1 &
    TV2_STARTED_XVFB=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    tv2_log "Xvfb on $DISPLAY"
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    tv2_log "making the Wine prefix $WINEPREFIX"
    # The first call's background services inherit its output: a file, never a pipe.
    "$TV2_WINE" wineboot -i >/var/tmp/tv2-wineboot.log 2>&1 </dev/null
  fi
  if ! tv2_wineserver_running; then
    "$TV2_WINESERVER" -p </dev/null >/dev/null 2>&1 &
    TV2_STARTED_WINESERVER=1
  fi
  # Wait until the prefix is complete and warm, so the first test is not slow.
  "$TV2_WINE" cmd /c exit >/var/tmp/tv2-wine-warmup.log 2>&1 </dev/null || true
  # Without a window manager (our own Xvfb), Wine waits two seconds for the
  # manager to acknowledge every hidden top-level window: every exit of the
  # bar would take 2 s longer than on a desktop. Let Wine manage windows
  # itself there; with the caller's display, leave the manager in charge.
  if [ -n "$TV2_STARTED_XVFB" ]; then
    "$TV2_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
  else
    "$TV2_WINE" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 </dev/null || true
  fi
  local i
  for i in $(seq 1 200); do [ -f "$WINEPREFIX/system.reg" ] && break; sleep 0.1; done
}

# A wineserver serves a prefix through a socket named after the prefix
# folder's device and inode.
tv2_wineserver_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local dir
  dir=/tmp/.wine-$(id -u)/server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  [ -S "$dir/socket" ]
}

tv2_stop_services() {
  if [ -n "$TV2_STARTED_WINESERVER" ]; then
    "$TV2_WINESERVER" -k >/dev/null 2>&1 || true
    TV2_STARTED_WINESERVER=
  fi
  if [ -n "$TV2_STARTED_XVFB" ]; then
    kill "$TV2_STARTED_XVFB" 2>/dev/null || true
    wait "$TV2_STARTED_XVFB" 2>/dev/null || true
    TV2_STARTED_XVFB=
  fi
}

# Configures and builds one tree: $1 the build folder, $2 the toolchain file.
tv2_build() {
  local dir=$1 toolchain=$2
  cmake -S "$TV2_TOP" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$TV2_TOP/cmake/$toolchain" -Wno-dev >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log" >&2; return 1; }
  cmake --build "$dir" -j"$(nproc)" >"$dir.build.log" 2>&1 ||
    { grep -E -B2 -A8 'error|Error' "$dir.build.log" | head -80 >&2; return 1; }
}

tv2_build_all() {
  tv2_log "building the 32-bit product ($TV2_BUILD32)"
  tv2_build "$TV2_BUILD32" mingw-i686.cmake || return 1
  tv2_log "building the 64-bit test build ($TV2_BUILD64)"
  tv2_build "$TV2_BUILD64" mingw-x86_64.cmake || return 1
}
