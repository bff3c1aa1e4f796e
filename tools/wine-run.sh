#!/usr/bin/env bash
# Runs a 64-bit Windows program under wine64 in the project's Wine session (see
# wine-session.sh), starting the session first when none is running. CTest uses it as the
# emulator of the win64 tree.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
STATE=${LUMORA_WINE_STATE:-$ROOT/build/win64/wine}
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  eval "$("$ROOT/tools/wine-session.sh" start)"
fi
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The session's own home (see wine-session.sh), where the prefix's shell folders lead.
export HOME=$STATE/home
source "$ROOT/tools/wine-user.sh"
as_user /usr/lib/wine/wine64 "$@"
