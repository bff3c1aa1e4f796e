#!/usr/bin/env bash
# Runs a Windows program in the project's Wine session (see wine-session.sh): a 32-bit (i686)
# program under Wine's 32-bit loader, which runs it in the session's 64-bit prefix as WoW64
# does on Windows, anything else under wine64. CTest uses it as the emulator of both Windows
# trees; each tree's tests name their own session in LUMORA_WINE_STATE.
# - Inside a running session (the CTest fixture's, or one started by hand) it only joins it.
# - A test listing (--gtest_list_tests, as CTest asks before its run) with no session running
#   gets a session of its own that is stopped again at once, so that listing leaves nothing
#   behind.
# - Any other program with no session running starts one and leaves it running;
#   `tests/harness/wine-session.sh stop` ends it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
STATE=${LUMORA_WINE_STATE:-$ROOT/build/win64/wine}
export LUMORA_WINE_STATE=$STATE
source "$ROOT/tests/harness/wine-user.sh"

running() {
  [ -f "$STATE/session.env" ] || return 1
  [ ! -f "$STATE/xvfb.pid" ] || kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null
}

own=0
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  if running; then
    source "$STATE/session.env"
  else
    eval "$("$ROOT/tests/harness/wine-session.sh" start)"
    case " $* " in *" --gtest_list_tests "*) own=1 ;; esac
  fi
fi
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The session's own home (see wine-session.sh), where the prefix's shell folders lead.
export HOME=$STATE/home

# The loader for the program: its PE header's machine field says i386 (0x14c) or not.
WINE=/usr/lib/wine/wine64
if [ -f "${1:-}" ] && [ "$(od -An -c -N2 "$1" | tr -d ' ')" = MZ ]; then
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  if [ "$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')" = 014c ]; then
    WINE=/usr/lib/wine/wine
  fi
fi

# Daemons a program starts (the desktop, the Wine server) inherit its output: CTest's pipe
# would stay open after the test. Off a terminal, the output goes through files.
run_wine() {
  if [ -t 1 ] && [ -t 2 ]; then as_user "$WINE" "$@"; return; fi
  local out err rc=0
  out=$(mktemp) err=$(mktemp)
  as_user "$WINE" "$@" >"$out" 2>"$err" || rc=$?
  cat "$out" && cat "$err" >&2 && rm -f "$out" "$err"
  return $rc
}
if [ $own -eq 0 ]; then
  run_wine "$@"
else
  rc=0
  run_wine "$@" || rc=$?
  "$ROOT/tests/harness/wine-session.sh" stop
  exit $rc
fi
