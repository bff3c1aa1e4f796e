#!/usr/bin/env bash
# Takes docs/settings-dialog-144dpi.png: the viewer's settings dialog as it opens on a first
# run, on a screen of 144 DPI (150 %). Runs the built Lumora.exe of the win64 tree in a Wine
# session of its own at that DPI (LUMORA_DPI, see tests/harness/wine-session.sh), stopped afterwards.
#   tools/screenshot-dpi.sh     (LUMORA_BUILD selects the build folder, as run.sh)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BUILD=${LUMORA_BUILD:-build}
export LUMORA_WINE_STATE=$ROOT/$BUILD/win64/wine-dpi LUMORA_DPI=144
unset DISPLAY WINEPREFIX
trap 'tests/harness/wine-session.sh stop' EXIT
eval "$(tests/harness/wine-session.sh start)"
source tests/harness/wine-user.sh
source tools/screenshot-lib.sh
as_user /usr/lib/wine/wine64 reg delete 'HKCU\Software\Ostrel\Lumora' /f >/dev/null 2>&1 \
  </dev/null || true
tests/harness/wine-run.sh "$BUILD/win64/bin/Lumora.exe" >/dev/null 2>&1 </dev/null &
viewer=$!
settings=$(wait_window "Lumora Settings")
xdotool mousemove 0 0 2>/dev/null
shoot "$settings" docs/settings-dialog-144dpi.png
xdotool key --window "$settings" Escape 2>/dev/null || true
finish "$viewer"
