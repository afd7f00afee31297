#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's prefix and display, for
# ctest (CMAKE_CROSSCOMPILING_EMULATOR) and the other scripts; scripts/wine-env.sh
# sets up the environment this expects.
#
# The program's output goes through a file: Wine's own background processes
# (services, the desktop) may start from any program and keep its output open, and
# a caller reading a pipe to its end would then wait for them forever.
set -uo pipefail
: "${WINEPREFIX:?run through scripts/test.sh, or source scripts/wine-env.sh first}"
log=$(mktemp)
wine "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status
