#!/usr/bin/env bash
# The whole test suite: setup, configure, build, and every test program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export ORRINDEL_BUILD=build
source scripts/wine-env.sh
ctest --test-dir build --output-on-failure "$@"
