#!/usr/bin/env bash
# Starts or stops the Wine session the Windows tests run in: an Xvfb display (800x600, when
# none is given in DISPLAY), a Wine prefix kept under the build tree, and one persistent Wine
# server with its services, so that each test program costs a fraction of a second.
#   wine-session.sh start   prints "export DISPLAY=... WINEPREFIX=..." lines for eval, and keeps
#                           them in $STATE/session.env for tests/harness/wine-run.sh
#   wine-session.sh stop
# Modes, from the environment at start (each wants a state folder of its own, see
# tests/harness/in-session.sh):
#   LUMORA_DPI=N      the system DPI: "LogPixels" in the prefix, then a new Wine server
#   LUMORA_SCREENS=2  two monitors, on Xorg's dummy driver (tests/harness/two-monitors.sh)
#                     instead of Xvfb
# Each Windows tree's CTest runs start and stop its own session (state under build/<tree>/wine)
# as the fixture of every Windows test. The prefix is 64-bit; 32-bit programs run in it as
# WoW64 does on Windows (tests/harness/wine-run.sh picks the loader).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
STATE=${LUMORA_WINE_STATE:-$ROOT/build/win64/wine}
WINE=/usr/lib/wine/wine64
SERVER=/usr/lib/wine/wineserver64
export WINEPREFIX=$STATE/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$STATE"
source "$ROOT/tests/harness/wine-user.sh"
source "$ROOT/tests/harness/x-display.sh"
# Wine links the prefix's Desktop and other shell folders to folders in $HOME: the session
# has a home of its own under the state folder, so that programs that make shortcuts or save
# to the desktop (the installer's tests) write nothing outside the build tree. A prefix made
# with another home is made again. (wine-run.sh sets the same home for each program; the
# caller's own HOME is left alone.)
export HOME=$STATE/home
mkdir -p "$HOME/Desktop"

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

start_xvfb() {
  if [ "${LUMORA_SCREENS:-1}" = 2 ]; then
    eval "$("$ROOT/tests/harness/two-monitors.sh" start "$STATE")"
    return
  fi
  if alive "$STATE/xvfb.pid"; then
    export DISPLAY=$(cat "$STATE/xvfb.display")
    return
  fi
  rm -f "$STATE/xvfb.number"
  Xvfb -displayfd 3 -screen 0 ${LUMORA_SCREEN:-800x600x24} -nolisten tcp \
    3>"$STATE/xvfb.number" >"$STATE/xvfb.log" 2>&1 </dev/null &
  echo $! >"$STATE/xvfb.pid"
  local display
  display=$(x_display "$STATE/xvfb.number" "$(cat "$STATE/xvfb.pid")") ||
    { echo "Xvfb did not start (see $STATE/xvfb.log)" >&2; exit 1; }
  echo "$display" >"$STATE/xvfb.display"
  export DISPLAY=$display
}

case "${1:-start}" in
  start)
    if [ -z "${DISPLAY:-}" ]; then
      start_xvfb
    fi
    # A prefix made before Wine's 32-bit half was installed has no 32-bit system files
    # (syswow64) for 32-bit programs: it is made again too.
    if [ "$(cat "$WINEPREFIX/.ready" 2>/dev/null)" != "$HOME" ] ||
      { [ -x /usr/lib/wine/wine ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; }; then
      rm -rf "$WINEPREFIX"
      as_user "$WINE" wineboot -i >"$STATE/wineboot.log" 2>&1 </dev/null || true
      # No window manager: let Wine draw nothing around top-level windows of its own accord.
      as_user "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
      as_user "$SERVER" -w
      echo "$HOME" >"$WINEPREFIX/.ready"
    fi
    # A test that took the Windows directory's write permission away and did not live to give
    # it back must not leave the next session so.
    chmod u+w "$WINEPREFIX/drive_c/windows"
    if [ -n "${LUMORA_DPI:-}" ]; then
      # Read when the Wine server starts: a running one is ended first.
      as_user "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$LUMORA_DPI" /f >/dev/null 2>&1 </dev/null
      as_user "$SERVER" -k >/dev/null 2>&1 </dev/null || true
      as_user "$SERVER" -w >/dev/null 2>&1 </dev/null || true
    fi
    as_user "$SERVER" -p >/dev/null 2>&1 </dev/null || true
    as_user "$WINE" wineboot >/dev/null 2>&1 </dev/null || true
    echo "export DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='" |
      tee "$STATE/session.env"
    ;;
  stop)
    rm -f "$STATE/session.env"
    as_user "$SERVER" -k >/dev/null 2>&1 || true
    if alive "$STATE/xvfb.pid"; then kill "$(cat "$STATE/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$STATE/xvfb.pid" "$STATE/xvfb.display" "$STATE/xvfb.number"
    ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
