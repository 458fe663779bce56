#!/usr/bin/env bash
# Installs what is missing, checks the layers, builds the Release build users run
# and a Debug build with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
# (both with warnings as errors), fuzzes the WMF reader briefly and runs every test
# headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --tests
scripts/verifier_couches.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORMELLE_WERROR=ON -DORMELLE_TESTS=OFF >/dev/null
cmake --build build-release
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORMELLE_SANITIZE=ON -DORMELLE_WERROR=ON >/dev/null
cmake --build build-test
if [ -x tests/fuzz/run.sh ]; then
  tests/fuzz/run.sh build-fuzz
fi
export QT_QPA_PLATFORM=offscreen
cd build-test
ctest --output-on-failure -j2
