# Sourced by the screenshot scripts: finding windows on the test screen and capturing them.

# Waits for a visible window of this exact title; prints its X id.
wait_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  return 1
}

# Captures the window's rectangle from the screen into a PNG.
shoot() {
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
  sleep 0.5
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "wrote $2 (${WIDTH}x${HEIGHT})"
}

# Waits up to 5 s for a background process to end, then ends it.
finish() {
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
