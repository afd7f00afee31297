#!/usr/bin/env bash
# Proves that the release ZIP is reproducible: builds the shipped targets of every
# flavour a second time, from a copy of the source in another folder into other
# build folders, packages them the same way and compares every file and the ZIP
# itself with the first build's. Prints the SHA-256 of each.
#   tests/check_reproducible.sh build/Orrindel-<version>.zip
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
source scripts/release.sh
orrindel_source_date
first=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
second=$(pwd)/build/repro
rm -rf "$second"
mkdir -p "$second/source"
# What git has here, as it is in the working tree: what the first build built.
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
  [ -e "$file" ] && cp --parents -p "$file" "$second/source/"
done
for flavour in "${ORRINDEL_FLAVOURS[@]}"; do
  cmake -S "$second/source" -B "$second/$flavour" -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$second/source/$(flavour_toolchain "$flavour")" \
    -DORRINDEL_FLAVOUR="$flavour" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$second/$flavour" -j "$(nproc)" --target Orrindel orrindel-preview >/dev/null
done
(cd "$second/source" && release_zip "$second" "$second/again.zip")

unpack() {
  mkdir -p "$2" && (cd "$2" && cmake -E tar xf "$1")
}
unpack "$first" "$second/first"
unpack "$second/again.zip" "$second/again"
failed=0
while IFS= read -r file; do
  a=$(sha256sum "$second/first/$file" | cut -d' ' -f1)
  b=$(sha256sum "$second/again/$file" 2>/dev/null | cut -d' ' -f1)
  if [ "$a" == "$b" ]; then
    echo "ok: reproducible: $a  $file"
  else
    echo "FAILED: $file differs between two builds: $a, $b"
    failed=1
  fi
done < <(cd "$second/first" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
a=$(sha256sum "$first" | cut -d' ' -f1)
b=$(sha256sum "$second/again.zip" | cut -d' ' -f1)
if [ "$a" == "$b" ]; then
  echo "ok: reproducible: $a  $(basename "$first")"
else
  echo "FAILED: the two ZIPs differ: $a, $b"
  failed=1
fi
rm -rf "$second"
exit $failed
