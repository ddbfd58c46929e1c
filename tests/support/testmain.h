#pragma once

namespace testsupport {

// Runs every selected case and turns the outcome into the test program's status: 1 when a case
// failed, 77 (what ctest reports as "Skipped") when one was skipped, 0 when every case passed.
// Under DAYPANE_TEST_REQUIRE_ALL (the README's test command sets it: it installs every
// prerequisite, so a case that skips for want of one is a fault) such a skip fails the run. A
// case that cannot run on this machine at all gives a reason that begins "cannot run here:" and
// stays a skip.
int runAllTests();

} // namespace testsupport
