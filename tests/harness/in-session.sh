#!/usr/bin/env bash
# Runs one Windows program (of either tree) in a Wine session of its own, started before it
# and stopped after it, whatever its end:
#   in-session.sh STATE PROGRAM [ARGS...]
# STATE is the session's folder (its prefix, home and screen), apart from the shared session
# of the other tests. The session's mode comes from the environment as tests/harness/wine-session.sh
# reads it (LUMORA_DPI, LUMORA_SCREENS). The session gets a screen of its own.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export LUMORA_WINE_STATE=$1
shift
unset WINEPREFIX DISPLAY
trap '"$ROOT/tests/harness/wine-session.sh" stop' EXIT
eval "$("$ROOT/tests/harness/wine-session.sh" start)"
"$ROOT/tests/harness/wine-run.sh" "$@"
