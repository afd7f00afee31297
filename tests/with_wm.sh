#!/usr/bin/env bash
# Runs a command with a window manager (openbox) on the X display, as on a Linux
# desktop, and stops the window manager afterwards:
#   tests/with_wm.sh command [arguments]
set -uo pipefail
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# A window manager announces itself on the root window once it runs.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
"$@"
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $status
