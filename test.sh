#!/usr/bin/env bash
# Installs what is missing, builds a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --tests
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORMELLE_SANITIZE=ON >/dev/null
cmake --build build-test
if [ -x tests/fuzz/run.sh ]; then
  tests/fuzz/run.sh build-fuzz
fi
export QT_QPA_PLATFORM=offscreen
cd build-test
ctest --output-on-failure -j2
