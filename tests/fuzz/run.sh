#!/usr/bin/env bash
# Builds the WMF fuzzer (clang, libFuzzer, AddressSanitizer, UBSan) into the
# folder given, replays the seed corpus, then fuzzes for a bounded time.
# Exits non-zero on any finding; quietly does nothing without clang++.
set -euo pipefail
racine="$(cd "$(dirname "$0")/../.." && pwd)"
sortie="${1:-build-fuzz}"
duree="${FUZZ_SECONDES:-120}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ absent, fuzzing skipped"
  exit 0
fi
mkdir -p "$sortie"
sortie="$(cd "$sortie" && pwd)"
binaire="$sortie/fuzz_wmf"
sources=("$racine"/platform/wmf/*.cpp "$racine"/platform/dimensionsimage.cpp "$racine"/platform/formatimage.cpp
         "$racine"/tests/fuzz/fuzz_wmf.cpp)
if [ ! -x "$binaire" ] || [ -n "$(find "${sources[@]}" "$racine"/platform/wmf/*.h "$racine"/platform/*image.h -newer "$binaire" 2>/dev/null)" ]; then
  echo "fuzz: building $binaire"
  # shellcheck disable=SC2046
  clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$racine" $(pkg-config --cflags Qt6Gui) "${sources[@]}" -o "$binaire" $(pkg-config --libs Qt6Gui)
fi

# The seeds stay untouched; new inputs go to a working corpus beside the binary.
travail="$sortie/corpus"
mkdir -p "$travail" "$sortie/findings"
# Folders git does not keep while empty, or absent from a user's clone, are left out.
semences=()
for d in "$racine/tests/fuzz/corpus" "$racine/tests/wmf/data" "$racine/../shared/testdata/wmf"; do
  [ -d "$d" ] && semences+=("$d")
done
export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
options=(-rss_limit_mb=2048 -timeout=10 -max_len=300000 -artifact_prefix="$sortie/findings/")
echo "fuzz: replaying the seeds"
"$binaire" "${options[@]}" -runs=0 "$travail" "${semences[@]}" 2>"$sortie/replay.log" || {
  tail -50 "$sortie/replay.log"; exit 1; }
# A fixed seed and count make every run of the test script try the same inputs,
# so that a finding shows again where it was seen; longer hunts set their own.
graine="${FUZZ_GRAINE:-1}"
essais="${FUZZ_ESSAIS:-20000}"
echo "fuzz: fuzzing ${essais} inputs from seed ${graine}, ${duree}s at most"
"$binaire" "${options[@]}" -seed="$graine" -runs="$essais" -max_total_time="$duree" -print_final_stats=1 \
  "$travail" "${semences[@]}" \
  2>"$sortie/fuzz.log" || { tail -60 "$sortie/fuzz.log"; exit 1; }
grep -E '^stat::number_of_executed_units' "$sortie/fuzz.log" || true
echo "fuzz: no finding"
