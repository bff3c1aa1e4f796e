# Sourced by the session scripts. Their X servers pick a free display number themselves
# (-displayfd 3): two sessions started at the same moment, in this checkout or another, would
# otherwise both find the same number free, and one would run its programs on the other's
# screen. A server so started writes its number to fd 3 once it takes connections.
#   x_display FILE PID   waits for the number the server PID wrote to FILE and prints ":N";
#                        fails when the server ends first or after 10 s
x_display() {
  local file=$1 pid=$2
  for _ in $(seq 200); do
    if grep -qx '[0-9][0-9]*' "$file" 2>/dev/null; then
      echo ":$(head -n1 "$file")"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
