#!/usr/bin/env bash
# The deeper checks CI runs after the test suite:
#   sanitize  the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz      every fuzz target built with clang, each run a fixed number of times over its corpus
# Usage: scripts/run-checks.sh [sanitize] [fuzz]   (both when none is named)
# Build folders: SANITIZE_BUILD_DIR (build-sanitize), FUZZ_BUILD_DIR (build-fuzz).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(sanitize fuzz)

timed() {
  local start=$SECONDS
  "$@"
  echo "checks: $* took $((SECONDS - start)) s"
}

sanitize_build() {
  # -O1 and line tables only: the sanitizers' usual level, and the build takes half the time.
  # Built with Unix Makefiles, so that CI builds the project with both generators.
  CMAKE_GENERATOR="Unix Makefiles" \
    "$here/scripts/setup.sh" "$1" "-DDAYPANE_SANITIZE=address;undefined" -DDAYPANE_WERROR=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
}

sanitize_tests() {
  local build="$1" supp="$here/tests/sanitizers"
  # Every report fails its test; the only ones let through are listed, each with its reason,
  # in the suppression files.
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:suppressions=$supp/asan.supp"
  export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supp/ubsan.supp"
  # libfaketime and the sanitizers' runtime cannot both come first: the cases that need a day
  # of their own skip themselves here and run in the regular pass.
  export DAYPANE_TEST_WITHOUT_FAKETIME=1
  export DAYPANE_TEST_REQUIRE_ALL=1
  # Instrumented code is slower; the limits of the end-to-end tests grow with it.
  export DAYPANE_TEST_TIMEOUT_FACTOR="${DAYPANE_TEST_TIMEOUT_FACTOR:-3}"
  ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 900 -LE 'unsanitized'
}

fuzz_build() {
  "$here/scripts/setup.sh" --packages-only
  CC=clang CXX=clang++ cmake -S "$here" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDAYPANE_FUZZ=ON -DDAYPANE_WERROR=ON >/dev/null
  cmake --build "$1" -j"$(nproc)" --target daypane_fuzz
}

fuzz_runs() {
  ctest --test-dir "$1" --output-on-failure -j"$(nproc)" -L fuzz
}

for part in "${parts[@]}"; do
  case "$part" in
  sanitize)
    build="${SANITIZE_BUILD_DIR:-$here/build-sanitize}"
    timed sanitize_build "$build"
    timed sanitize_tests "$build"
    ;;
  fuzz)
    build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"
    timed fuzz_build "$build"
    timed fuzz_runs "$build"
    ;;
  *)
    echo "usage: $0 [sanitize] [fuzz]" >&2
    exit 2
    ;;
  esac
done
