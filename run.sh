#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts Ormelle.
# Usage: ./run.sh [FOLDER|FILE]
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DORMELLE_TESTS=OFF >/dev/null
cmake --build build
exec ./build/bin/ormelle "$@"
