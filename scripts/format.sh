#!/usr/bin/env bash
# Lays out every C++ file of the project as .clang-format says.
# --check: rewrites nothing, lists the files that would change, exits 1 if any.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t fichiers < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  differents=0
  for f in "${fichiers[@]}"; do
    if ! clang-format --style=file "$f" | cmp -s - "$f"; then
      echo "$f"
      differents=1
    fi
  done
  exit "$differents"
fi
clang-format --style=file -i "${fichiers[@]}"
