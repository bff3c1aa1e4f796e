#!/usr/bin/env bash
# Takes the screen saver's screenshots in docs/: Lumora.scr /s on the bundled sample pictures
# (tools/gen-demo-pictures.py) on the 800 x 600 test screen, its second slide (the first is the
# viewer's demo picture), and its configuration dialog
# (Lumora.scr /c) showing those settings. Runs the win64 tree's Lumora.scr in the project's
# Wine session; the saver's settings key is written first and removed afterwards.
#   tools/screenshot-saver.sh          (LUMORA_BUILD selects the build folder, as run.sh)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BUILD=${LUMORA_BUILD:-build}
export LUMORA_WINE_STATE=${LUMORA_WINE_STATE:-$ROOT/$BUILD/win64/wine}
eval "$(./tests/harness/wine-session.sh start)"
source tests/harness/wine-user.sh
source tools/screenshot-lib.sh
WINE=/usr/lib/wine/wine64
KEY='HKCU\Software\Ostrel\ScreenSaver'
SAVER=$BUILD/win64/bin/Lumora.scr

reg() { as_user "$WINE" reg "$@" >/dev/null 2>&1 </dev/null; }

LIST=$(python3 tools/gen-demo-pictures.py "$ROOT/$BUILD/saver-shots")
reg add "$KEY" /v TimeOut /t REG_DWORD /d 2 /f
reg add "$KEY" /v MixFiles /t REG_DWORD /d 0 /f
reg add "$KEY" /v LastFile /d "Z:${LIST//\//\\}" /f

xdotool mousemove 400 300 2>/dev/null
tests/harness/wine-run.sh "$SAVER" /s >/dev/null 2>&1 </dev/null &
saver=$!
wait_window "Screen Saver" >/dev/null
sleep 3
import -window root docs/saver-show.png
echo "wrote docs/saver-show.png"
xdotool mousemove 460 360 2>/dev/null  # a real move ends the saver
finish $saver

reg add "$KEY" /v TimeOut /t REG_DWORD /d 10 /f  # the default, for the dialog's picture
tests/harness/wine-run.sh "$SAVER" /c >/dev/null 2>&1 </dev/null &
config=$!
dialog=$(wait_window "Lumora Screen Saver Configuration")
eval "$(xdotool getwindowgeometry --shell "$dialog" 2>/dev/null)"
xdotool mousemove 0 0 2>/dev/null
sleep 0.5
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/saver-config.png
echo "wrote docs/saver-config.png (${WIDTH}x${HEIGHT})"
xdotool key --window "$dialog" Escape 2>/dev/null || true
sleep 0.3
xdotool key --window "$dialog" Escape 2>/dev/null || true
finish $config
reg delete "$KEY" /f || true
