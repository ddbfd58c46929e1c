# Sourced by the test scripts. missing_prerequisite WHAT: the script cannot run without WHAT.
# It ends with 77, what ctest reports as "Skipped"; under DAYPANE_TEST_REQUIRE_ALL (the README's
# test command, which installs every prerequisite) with 1, as the fault it is there.
missing_prerequisite() {
  if [ -n "${DAYPANE_TEST_REQUIRE_ALL:-}" ]; then
    echo "[  FAILED  ] skipped without a prerequisite: $1" >&2
    exit 1
  fi
  echo "[  SKIPPED ] $1" >&2
  exit 77
}
