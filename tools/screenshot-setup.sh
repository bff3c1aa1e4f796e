#!/usr/bin/env bash
# Takes the screenshots of the installer's dialogs in docs/: "Setup" as it opens, the folder
# chooser with "Program Files" selected, and "Congratulations". Runs the built 64-bit package
# (build/win64/bin/vantiro-setup.exe) in the project's Wine session with real clicks; it
# installs into the test prefix's C:\Program Files\Vantiro with every final option cleared,
# and removes the registry entries and the screen saver it wrote afterwards.
#   tools/screenshot-setup.sh          (LUMORA_BUILD selects the build folder, as run.sh)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BUILD=${LUMORA_BUILD:-build}
export LUMORA_WINE_STATE=${LUMORA_WINE_STATE:-$ROOT/$BUILD/win64/wine}
eval "$(./tests/harness/wine-session.sh start)"
source tools/screenshot-lib.sh
run() { tests/harness/wine-run.sh "$@" </dev/null; }

forget() {
  run reg delete 'HKCU\Software\Ostrel' /f >/dev/null 2>&1 || true
  run reg delete 'HKCR\.wcl' /f >/dev/null 2>&1 || true
  run reg delete 'HKCR\*wclfile' /f >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/drive_c/windows/system32/Lumora.scr"
}

# Clicks the point (dx, dy), in dialog units, of a dialog whose client area is w x h dialog
# units. Horizontal and vertical dialog units differ: the scales come from the window's size
# less its frame (3 pixels) and the caption Wine draws (18 pixels).
click_dlu() { # window w h dx dy
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
  local frame=3 caption=18
  local scale_x=$(((WIDTH - 2 * frame) * 1000 / $2))
  local scale_y=$(((HEIGHT - 2 * frame - caption) * 1000 / $3))
  xdotool mousemove $((X + frame + $4 * scale_x / 1000)) \
    $((Y + frame + caption + $5 * scale_y / 1000)) 2>/dev/null
  sleep 0.2
  xdotool click 1 2>/dev/null
  sleep 0.3
}

forget
work=$(mktemp -d "$ROOT/$BUILD/win64/setup-shots.XXXXXX")
(cd "$work" && "$ROOT/tests/harness/wine-run.sh" "$ROOT/$BUILD/win64/bin/vantiro-setup.exe" \
  >/dev/null 2>&1 </dev/null) &
setup=$!
main=$(wait_window "Setup")
xdotool mousemove 0 0 2>/dev/null
shoot "$main" docs/setup-dialog.png

click_dlu "$main" 192 85 30 72                 # Install
chooser=$(wait_window "Choose install path")
click_dlu "$chooser" 165 157 45 32             # the first folder of the tree: Program Files
xdotool mousemove 0 0 2>/dev/null
shoot "$chooser" docs/folder-chooser.png
click_dlu "$chooser" 165 157 29 145            # Ok

done_=$(wait_window "Congratulations")
xdotool mousemove 0 0 2>/dev/null
shoot "$done_" docs/congratulations-dialog.png
for y in 34 46 58 70; do click_dlu "$done_" 225 103 16 "$y"; done  # clear the four options
click_dlu "$done_" 225 103 113 91              # Finish
wait "$setup" || true
forget
rm -rf "$work"
