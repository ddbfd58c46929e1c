#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
# Usage: scripts/run-tests.sh [cmake options...]   (e.g. -DDAYPANE_WERROR=ON, as CI does)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh" "$build" "$@"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
