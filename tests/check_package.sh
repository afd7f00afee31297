#!/usr/bin/env bash
# Checks the release ZIP that scripts/package.sh wrote: the files it must hold (a
# folder per flavour, README and LICENSE at the top), and each flavour's
# Orrindel.dll through the same inspection as the built ones.
#   tests/check_package.sh build/Orrindel-<version>.zip
set -euo pipefail
zip=$1
here=$(cd "$(dirname "$0")" && pwd)
zip_path=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip_path")
listing=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd, -)
expected="LICENSE,README.md"
for flavour in x64-utf16 x86-8bit x86-utf16; do
  expected+=",$flavour/Orrindel.dll,$flavour/orrindel-preview.exe"
done
if [ "$listing" != "$expected" ]; then
  echo "FAILED: $zip holds '$listing', expected '$expected'"
  exit 1
fi
echo "ok: $zip holds $(echo "$listing" | tr ',' ' ')"
failed=0
for flavour in x86-8bit x86-utf16 x64-utf16; do
  "$here/check_dll.sh" "$work/$flavour/Orrindel.dll" "$flavour" || failed=1
done
exit $failed
