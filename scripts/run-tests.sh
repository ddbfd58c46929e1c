#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
# Usage: scripts/run-tests.sh [cmake options...]   (e.g. -DDAYPANE_WERROR=ON, as CI does)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
"$here/scripts/setup.sh" "$build" "$@"
# Every prerequisite is installed above, so a case that skips for want of one fails; a case
# that cannot run on this machine at all says why and is reported as skipped.
export DAYPANE_TEST_REQUIRE_ALL=1
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
