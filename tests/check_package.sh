#!/usr/bin/env bash
# Builds the release ZIP with CPack and checks it: the four files it must hold,
# and its Orrindel.dll through the same inspection as the built one.
set -euo pipefail
build=$1
zip=$2
here=$(cd "$(dirname "$0")" && pwd)
(cd "$build" && cpack -G ZIP >/dev/null)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -c "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])" \
  "$build/$zip" "$work"
listing=$(cd "$work" && find . -type f | sed 's|^\./||' | sort | paste -sd, -)
expected="LICENSE,Orrindel.dll,README.md,orrindel-preview.exe"
if [ "$listing" != "$expected" ]; then
  echo "FAILED: $zip holds '$listing', expected '$expected'"
  exit 1
fi
echo "ok: $zip holds $listing"
"$here/check_dll.sh" "$work/Orrindel.dll"
