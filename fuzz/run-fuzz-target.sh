#!/usr/bin/env bash
# Runs a libFuzzer target a fixed number of times over its committed corpus. What it finds goes
# to a scratch folder, never into the corpus; a crashing input is kept under WORK/artifacts.
#   run-fuzz-target.sh FUZZER CORPUS WORK RUNS
set -euo pipefail
fuzzer="$1" corpus="$2" work="$3" runs="$4"
rm -rf "$work"
mkdir -p "$work/found" "$work/artifacts"
exec "$fuzzer" -runs="$runs" -seed=1 -timeout=60 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/found" "$corpus"
