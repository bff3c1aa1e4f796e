#!/usr/bin/env bash
# The second test screen: two monitors, which Xvfb cannot give Wine. Xorg with its dummy video
# driver and a large virtual screen; xrandr makes the primary output 800 x 600 at 0,0 and a
# second output of 640 x 480 left of it, so that Wine reports the monitors (0,0 800x600) and
# (-640,0 640x480) and a virtual screen of -640,0 1440x600.
#   two-monitors.sh start STATE   starts the server, prints "export DISPLAY=:N" and keeps its
#                                 process id and display in STATE/xvfb.pid and xvfb.display,
#                                 where tools/wine-session.sh stop ends it
set -euo pipefail
[ "${1:-}" = start ] && [ -n "${2:-}" ] || { echo "usage: $0 start STATE" >&2; exit 2; }
STATE=$2
mkdir -p "$STATE"
source "$(dirname "$0")/x-display.sh"
if [ -f "$STATE/xvfb.pid" ] && kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null; then
  echo "export DISPLAY=$(cat "$STATE/xvfb.display")"
  exit 0
fi
cat >"$STATE/xorg-dummy.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2048 2048
  EndSubSection
EndSection
CONF
rm -f "$STATE/xvfb.number"
Xorg -displayfd 3 -config "$STATE/xorg-dummy.conf" -noreset -nolisten tcp \
  -logfile "$STATE/xorg.log" 3>"$STATE/xvfb.number" >"$STATE/xorg.out" 2>&1 </dev/null &
echo $! >"$STATE/xvfb.pid"
display=$(x_display "$STATE/xvfb.number" "$(cat "$STATE/xvfb.pid")") ||
  { echo "Xorg did not start (see $STATE/xorg.log)" >&2; exit 1; }
echo "$display" >"$STATE/xvfb.display"
export DISPLAY=$display
for _ in $(seq 100); do xrandr >/dev/null 2>&1 && break; sleep 0.05; done
xrandr --output DUMMY0 --mode 800x600 --primary
xrandr --newmode m640 25.18 640 656 752 800 480 490 492 525 -hsync -vsync 2>/dev/null || true
xrandr --addmode DUMMY1 m640
xrandr --output DUMMY1 --mode m640 --left-of DUMMY0
# A full query (which polls the outputs) before Wine starts: without one Wine saw one monitor.
xrandr --query >/dev/null
echo "export DISPLAY=$display"
