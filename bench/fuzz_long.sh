#!/usr/bin/env bash
# The longer hunt: every fuzzer of tests/fuzz for ten minutes (or $1 seconds) from a
# fresh random seed, in a folder of its own so that the test script's corpus stays
# small. Prints each fuzzer's runs and coverage; exits non-zero on a finding.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
sortie="${SORTIE:-$racine/build-fuzz-long}"
FUZZ_SECONDES="${1:-600}" FUZZ_GRAINE="${FUZZ_GRAINE:-$RANDOM}" "$racine/tests/fuzz/run.sh" "$sortie"
for log in "$sortie"/fuzz_*.log; do
  case "$log" in *.replay.log) continue ;; esac
  printf '%s: ' "$(basename "$log" .log)"
  { grep -E '^stat::number_of_executed_units' "$log" | tr '\n' ' '
    grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1; } || true
done
