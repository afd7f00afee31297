#!/usr/bin/env bash
# Checks the release ZIP that scripts/package.sh wrote: the files it must hold (a
# folder per flavour; README, changelog, licence and checksums at the top), the
# checksums as a user checks them, and each flavour's Orrindel.dll through the same
# inspection as the built ones.
#   tests/check_package.sh build/Orrindel-<version>.zip
set -euo pipefail
zip=$1
here=$(cd "$(dirname "$0")" && pwd)
zip_path=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip_path")
listing=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd, -)
expected="CHANGELOG.md,LICENSE,README.md,SHA256SUMS"
for flavour in x64-utf16 x86-8bit x86-utf16; do
  expected+=",$flavour/Orrindel.dll,$flavour/orrindel-preview.exe"
done
if [ "$listing" != "$expected" ]; then
  echo "FAILED: $zip holds '$listing', expected '$expected'"
  exit 1
fi
echo "ok: $zip holds $(echo "$listing" | tr ',' ' ')"
failed=0
summed=$(cut -d' ' -f3 "$work/SHA256SUMS" | paste -sd, -)
if [ "$summed" != "$(echo "$expected" | tr ',' '\n' | grep -E '\.(dll|exe)$' | paste -sd, -)" ]; then
  echo "FAILED: SHA256SUMS covers '$summed', not every DLL and program"
  failed=1
fi
if (cd "$work" && sha256sum -c --quiet SHA256SUMS); then
  echo "ok: sha256sum -c SHA256SUMS passes inside the ZIP"
else
  echo "FAILED: sha256sum -c SHA256SUMS inside the ZIP"
  failed=1
fi
for flavour in x86-8bit x86-utf16 x64-utf16; do
  "$here/check_dll.sh" "$work/$flavour/Orrindel.dll" "$flavour" || failed=1
done
exit $failed
