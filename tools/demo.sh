#!/usr/bin/env bash
# The viewer on the bundled sample pictures (tools/gen-demo-pictures.py), 64-bit, under wine64.
# With a DISPLAY the show runs there until you close it (Escape). Without one it runs on the
# harness's Xvfb screen: clicks Start, saves a screenshot of each of the first slides and
# prints their paths.
#   demo.sh BUILD_DIR
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
OUT=$BUILD/demo
EXE=$BUILD/win64/bin/Lumora.exe
SLIDE_SECONDS=3

echo "== drawing the sample pictures into $OUT"
LIST=$(python3 "$ROOT/tools/gen-demo-pictures.py" "$OUT")
WINLIST="Z:${LIST//\//\\}"

if [ -n "${DISPLAY:-}" ]; then
  echo "== Lumora.exe $WINLIST: press Start; right-click for the menu, Escape ends the show"
  exec "$ROOT/tests/harness/wine-run.sh" "$EXE" "$WINLIST"
fi

eval "$("$ROOT/tests/harness/wine-session.sh" start)"
trap '"$ROOT/tests/harness/wine-session.sh" stop' EXIT
"$ROOT/tests/harness/wine-run.sh" reg add 'HKCU\Software\Ostrel\Lumora' /v TimeOut /t REG_DWORD \
  /d $SLIDE_SECONDS /f >/dev/null 2>&1
"$ROOT/tests/harness/wine-run.sh" reg add 'HKCU\Software\Ostrel\Lumora' /v ProgramState /t REG_DWORD \
  /d 0 /f >/dev/null 2>&1

"$ROOT/tests/harness/wine-run.sh" "$EXE" "$WINLIST" >"$OUT/lumora.log" 2>&1 &
viewer=$!

# The settings dialog: wait for it, then click its Start button (bottom left).
dialog=""
for _ in $(seq 100); do
  dialog=$(xdotool search --name '^Lumora Settings$' 2>/dev/null | head -1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
if [ -z "$dialog" ]; then
  echo "the settings dialog did not appear" >&2
  exit 1
fi
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog" 2>/dev/null)"
xdotool mousemove $((X + WIDTH * 12 / 100)) $((Y + HEIGHT * 86 / 100)) click 1 2>/dev/null
xdotool mousemove 799 599 2>/dev/null

sleep 1.5
shots=()
for n in 1 2 3 4; do
  shot=$OUT/slide-$n.png
  import -window root "$shot"
  shots+=("$shot")
  sleep $SLIDE_SECONDS
done
xdotool key Escape 2>/dev/null
wait $viewer || true

echo "== screenshots of the first slides:"
printf '%s\n' "${shots[@]}"
