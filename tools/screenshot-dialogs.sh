#!/usr/bin/env bash
# Takes the screenshots of the shared dialogs in docs/: the viewer's settings dialog as it
# opens on a first run, and the About box opened from it with a real click. Runs the built
# Lumora.exe of the win64 tree in the project's Wine session; the viewer's settings key is
# removed first (and afterwards) so that the dialog shows its defaults.
#   tools/screenshot-dialogs.sh          (LUMORA_BUILD selects the build folder, as run.sh)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BUILD=${LUMORA_BUILD:-build}
export LUMORA_WINE_STATE=${LUMORA_WINE_STATE:-$ROOT/$BUILD/win64/wine}
eval "$(./tests/harness/wine-session.sh start)"
source tests/harness/wine-user.sh
source tools/screenshot-lib.sh
WINE=/usr/lib/wine/wine64
KEY='HKCU\Software\Ostrel\Lumora'

forget_settings() { as_user "$WINE" reg delete "$KEY" /f >/dev/null 2>&1 </dev/null || true; }

forget_settings
tests/harness/wine-run.sh "$BUILD/win64/bin/Lumora.exe" >/dev/null 2>&1 </dev/null &
viewer=$!
settings=$(wait_window "Lumora Settings")
shoot "$settings" docs/settings-dialog.png

# The About button sits at dialog units (185, 70) to (235, 84) of the 241 x 89 client area,
# under the caption: click its middle, found in proportion to the window.
eval "$(xdotool getwindowgeometry --shell "$settings" 2>/dev/null)"
frame=3 caption=$((HEIGHT - frame * 2 - (WIDTH - frame * 2) * 89 / 241))
xdotool mousemove $((X + frame + (WIDTH - 2 * frame) * 210 / 241)) \
  $((Y + frame + caption + (WIDTH - 2 * frame) * 77 / 241)) 2>/dev/null
sleep 0.2
xdotool click 1 2>/dev/null
about=$(wait_window "About")
xdotool mousemove 0 0 2>/dev/null
shoot "$about" docs/about-dialog.png

xdotool key --window "$about" Escape 2>/dev/null || true
sleep 0.3
xdotool key --window "$settings" Escape 2>/dev/null || true
wait "$viewer" || true
forget_settings
