#!/usr/bin/env bash
# The release package: builds every flavour (setup included) and writes
# build/Orrindel-<version>.zip, one folder per flavour with its Orrindel.dll and
# preview host, and README.md, CHANGELOG.md, LICENSE and SHA256SUMS at the top.
# Prints where it wrote it and its SHA-256 (with --quiet, the path alone).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
source scripts/release.sh
quiet=
if [ "${1:-}" == "--quiet" ]; then
  quiet=1
fi
if [ -n "$quiet" ]; then
  scripts/build.sh >/dev/null
else
  scripts/build.sh
fi
orrindel_source_date

zip=$(pwd)/build/Orrindel-$(orrindel_version).zip
release_zip build "$zip"
if [ -n "$quiet" ]; then
  echo "$zip"
else
  echo "package: wrote build/$(basename "$zip")"
  echo "package: SHA-256 $(sha256sum "$zip" | cut -d' ' -f1)"
fi
