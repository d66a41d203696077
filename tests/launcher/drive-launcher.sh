#!/bin/sh
# Runs the launcher in the current directory under the X display of xvfb-run, waits for its
# "Configuration" window, presses one key in it and waits for the launcher to end.
# Usage: drive-launcher.sh <launcher> <key>; exits with the launcher's status, 124 on a timeout.
# With GEOMETRY_FILE set, the window's size once shown is written there first (xdotool --shell).
launcher="$1"
key="$2"

"$launcher" &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Configuration$' | head -n 1)
if [ -z "$window" ]; then
  kill "$pid" 2>/dev/null
  echo "the launcher window did not appear" >&2
  exit 124
fi
if [ -n "${GEOMETRY_FILE:-}" ]; then
  sleep 0.5
  xdotool getwindowgeometry --shell "$window" > "$GEOMETRY_FILE"
fi
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers "$key"

tries=0
while kill -0 "$pid" 2>/dev/null; do
  tries=$((tries + 1))
  if [ "$tries" -gt 200 ]; then
    kill "$pid" 2>/dev/null
    echo "the launcher did not close" >&2
    exit 124
  fi
  sleep 0.1
done
wait "$pid"
