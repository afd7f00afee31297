#!/usr/bin/env bash
# The whole test suite, for every flavour: setup, configure, build, every test
# program under the Wine of its architecture, the release package, and a second
# build of the package from another folder that must come out the same. Arguments
# go to ctest (e.g. -R window_tests).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/flavours.sh
scripts/build.sh

failed=()
for arch in win32 win64; do
  flavours=()
  for flavour in "${ORRINDEL_FLAVOURS[@]}"; do
    [ "$(flavour_arch "$flavour")" == "$arch" ] && flavours+=("$flavour")
  done
  # One Xvfb and wineserver per architecture, stopped when the subshell ends.
  (
    source scripts/wine-env.sh "$arch"
    status=0
    for flavour in "${flavours[@]}"; do
      echo "== $flavour"
      ctest --test-dir "build/$flavour" --output-on-failure "$@" || status=1
    done
    exit $status
  ) || failed+=("$arch")
done

echo "== release package"
zip=$(scripts/package.sh --quiet)
tests/check_package.sh "$zip" || failed+=(package)
echo "== reproducible build"
tests/check_reproducible.sh "$zip" || failed+=(reproducible)

if [ ${#failed[@]} -gt 0 ]; then
  echo "test: FAILED (${failed[*]})"
  exit 1
fi
echo "test: all flavours passed"
