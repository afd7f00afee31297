# Sourced by the scripts that run Windows programs: starts Xvfb (unless told to use
# an existing display) and a persistent wineserver on a prefix under the build
# folder, prepares that prefix once, and stops what it started on exit.
#   ORRINDEL_BUILD   build folder (default: build)
#   ORRINDEL_DISPLAY use this display instead of starting Xvfb

build_dir=${ORRINDEL_BUILD:-build}
mkdir -p "$build_dir"
export WINEPREFIX=$(cd "$build_dir" && pwd)/wineprefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The 64-bit server serves 32-bit programs and runs natively even where 32-bit
# code is emulated.
if [ -x /usr/lib/wine/wineserver64 ]; then
  export WINESERVER=/usr/lib/wine/wineserver64
else
  export WINESERVER=/usr/lib/wine/wineserver32
fi

orrindel_xvfb_pid=
orrindel_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "$orrindel_xvfb_pid" ]; then
    kill "$orrindel_xvfb_pid" 2>/dev/null || true
    wait "$orrindel_xvfb_pid" 2>/dev/null || true
  fi
}
trap orrindel_stop EXIT

if [ -n "${ORRINDEL_DISPLAY:-}" ]; then
  export DISPLAY=$ORRINDEL_DISPLAY
else
  # -displayfd picks a free display number and tells it once the server is ready.
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  orrindel_xvfb_pid=$!
  read -r display_number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=:$display_number
fi

if [ ! -f "$WINEPREFIX/.orrindel-ready" ]; then
  echo "wine: preparing $WINEPREFIX (once)"
  rm -rf "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  # Same metrics on every machine: a 1024x768 virtual desktop, which also draws
  # captions as Windows does; and the title face with the metrics it is made for.
  cat >"$WINEPREFIX/drive_c/orrindel.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
REG
  wine regedit /S 'C:\orrindel.reg' >/dev/null 2>&1
  # Restart so the desktop comes up with the new settings (this also saves them).
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.orrindel-ready"
fi
"$WINESERVER" -p
