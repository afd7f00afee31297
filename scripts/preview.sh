#!/usr/bin/env bash
# Shows the backdrop behind a real host window: builds Orrindel.dll and the preview
# host and runs it under Wine. With a display it runs there, live; without one it
# runs on Xvfb and writes build/preview.png. Arguments go to the preview host:
#   scripts/preview.sh [--seconds N] [topR topG topB bottomR bottomG bottomB title]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh --target orrindel-preview
export ORRINDEL_BUILD=build
if [ -n "${DISPLAY:-}" ]; then
  export ORRINDEL_DISPLAY=$DISPLAY
  source scripts/wine-env.sh
  scripts/wine-run.sh build/orrindel-preview.exe "$@"
else
  source scripts/wine-env.sh
  rm -f build/preview.bmp build/preview.png
  scripts/wine-run.sh build/orrindel-preview.exe --shot 'Z:'"$(pwd)"'/build/preview.bmp' "$@"
  convert build/preview.bmp build/preview.png
  echo "preview: wrote build/preview.png"
fi
