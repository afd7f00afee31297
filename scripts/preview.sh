#!/usr/bin/env bash
# Shows the backdrop behind a real host window: builds one flavour's Orrindel.dll
# and preview host and runs them under Wine. With a display it runs there, live;
# without one it runs on Xvfb and writes build/preview.png. Other arguments go to
# the preview host:
#   scripts/preview.sh [--flavour x86-8bit|x86-utf16|x64-utf16] [--seconds N]
#                      [topR topG topB bottomR bottomG bottomB title]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
flavour_option "$@"
shift "$flavour_arguments"
arch=$(flavour_arch "$flavour")
scripts/build.sh "$flavour" -- --target orrindel-preview
preview=build/$flavour/orrindel-preview.exe
if [ -n "${DISPLAY:-}" ]; then
  export ORRINDEL_DISPLAY=$DISPLAY
  source scripts/wine-env.sh "$arch"
  scripts/wine-run.sh "$arch" "$preview" "$@"
else
  source scripts/wine-env.sh "$arch"
  rm -f build/preview.bmp build/preview.png
  scripts/wine-run.sh "$arch" "$preview" --shot 'Z:'"$(pwd)"'/build/preview.bmp' "$@"
  convert build/preview.bmp build/preview.png
  echo "preview: wrote build/preview.png"
fi
