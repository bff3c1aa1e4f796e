#!/usr/bin/env bash
# Runs a 64-bit Windows program under wine64 in the project's Wine session (see
# wine-session.sh). CTest uses it as the emulator of the win64 tree.
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
if [ $own -eq 0 ]; then
  as_user /usr/lib/wine/wine64 "$@"
else
  rc=0
  as_user /usr/lib/wine/wine64 "$@" || rc=$?
  "$ROOT/tests/harness/wine-session.sh" stop
  exit $rc
fi
