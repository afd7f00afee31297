#!/usr/bin/env bash
# The release package: builds every flavour (setup included) and writes
# build/Orrindel-<version>.zip, one folder per flavour with its Orrindel.dll and
# preview host, and README.md and LICENSE at the top. Prints where it wrote it
# (with --quiet, the path alone).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
quiet=
if [ "${1:-}" == "--quiet" ]; then
  quiet=1
fi
if [ -n "$quiet" ]; then
  scripts/build.sh >/dev/null
else
  scripts/build.sh
fi

version=$(orrindel_version)
stage=build/package
zip=build/Orrindel-$version.zip
rm -rf "$stage" "$zip"
for flavour in "${ORRINDEL_FLAVOURS[@]}"; do
  cmake --install "build/$flavour" --prefix "$stage/$flavour" >/dev/null
done
cp README.md LICENSE "$stage/"
(cd "$stage" && cmake -E tar cf "../Orrindel-$version.zip" --format=zip -- \
  "${ORRINDEL_FLAVOURS[@]}" README.md LICENSE)
if [ -n "$quiet" ]; then
  echo "$zip"
else
  echo "package: wrote $zip"
fi
