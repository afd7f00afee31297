# Sourced by the scripts that run Windows programs, with the architecture whose
# programs they run:   source scripts/wine-env.sh win32|win64
# Starts Xvfb (unless told to use an existing display) and a persistent wineserver
# on that architecture's prefix, build/wine-<arch>, prepares the prefix once, and
# stops what it started on exit.
#   ORRINDEL_DISPLAY   use this display instead of starting Xvfb

ORRINDEL_WINE_ARCH=${1:?usage: source scripts/wine-env.sh win32|win64}
export ORRINDEL_WINE_ARCH
mkdir -p build
export WINEPREFIX=$(cd build && pwd)/wine-$ORRINDEL_WINE_ARCH
export WINEARCH=$ORRINDEL_WINE_ARCH
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Command-line texts pass from Unix to Windows programs as UTF-8.
export LC_ALL=C.UTF-8
# Debian's `wine` launcher always picks the 32-bit loader when wine32 is installed,
# so each architecture calls its own loader. The 64-bit server serves both.
case $ORRINDEL_WINE_ARCH in
  win32) export ORRINDEL_WINE_LOADER=/usr/lib/wine/wine ;;
  win64) export ORRINDEL_WINE_LOADER=/usr/lib/wine/wine64 ;;
  *)
    echo "wine-env: unknown architecture '$ORRINDEL_WINE_ARCH'" >&2
    return 2
    ;;
esac
export WINESERVER=/usr/lib/wine/wineserver64

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

# Same metrics on every machine: a 1024x768 virtual desktop, which also draws
# captions as Windows does; and the title face with the metrics it is made for. The
# screen tests also run under two names whose desktop, "Bare", has no size: those
# show their windows on the X display itself.
settings='REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\screen_tests_bare.exe\Explorer]
"Desktop"="Bare"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\screen_tests_wm.exe\Explorer]
"Desktop"="Bare"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
'
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  echo "wine: preparing $WINEPREFIX (once)"
  "$ORRINDEL_WINE_LOADER" wineboot -i >/dev/null 2>&1
fi
# Debian's Wine does not load its own UI fonts from its data folder: without them
# caption buttons draw as the letters of another face instead of Marlett's glyphs.
# From the prefix's own Fonts folder they load.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ]; then
    cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
done
settings_sum=$(echo "$settings" | md5sum)
if [ "$(cat "$WINEPREFIX/.orrindel-settings" 2>/dev/null)" != "$settings_sum" ]; then
  echo "$settings" >"$WINEPREFIX/drive_c/orrindel.reg"
  "$ORRINDEL_WINE_LOADER" regedit /S 'C:\orrindel.reg' >/dev/null 2>&1
  # Restart so the desktop comes up with the new settings (this also saves them).
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  echo "$settings_sum" >"$WINEPREFIX/.orrindel-settings"
fi
"$WINESERVER" -p
