#!/usr/bin/env bash
# Builds the fuzzers (clang, libFuzzer, AddressSanitizer, UBSan) into the folder
# given: the WMF reader, the HEIC/HEIF and AVIF reader, the JPEG XL reader and the
# comment files' reader; replays their seeds, then fuzzes each for a bounded time.
# Exits non-zero on any finding; quietly does nothing without clang++.
set -euo pipefail
racine="$(cd "$(dirname "$0")/../.." && pwd)"
sortie="${1:-build-fuzz}"
duree="${FUZZ_SECONDES:-120}"
# The two image-library readers share one more minute between them.
duree_bibliotheques="${FUZZ_SECONDES_BIBLIOTHEQUES:-30}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ absent, fuzzing skipped"
  exit 0
fi
mkdir -p "$sortie"
sortie="$(cd "$sortie" && pwd)"
budget=("$racine"/platform/dimensionsimage.cpp "$racine"/platform/formatimage.cpp)

# construire NAME "PKG-CONFIG MODULES" SOURCES...: rebuilt when a source or a header changed.
construire() {
  local nom="$1" modules="$2"
  shift 2
  local binaire="$sortie/$nom"
  if [ ! -x "$binaire" ] || [ -n "$(find "$@" "$racine"/platform/wmf/*.h "$racine"/platform/*.h "$racine"/core/*.h -newer "$binaire" 2>/dev/null)" ]; then
    echo "fuzz: building $binaire"
    # shellcheck disable=SC2046,SC2086
    clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
      -I"$racine" $(pkg-config --cflags $modules) "$@" -o "$binaire" $(pkg-config --libs $modules)
  fi
}

export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
options=(-rss_limit_mb=2048 -timeout=10 -max_len=300000 -artifact_prefix="$sortie/findings/")
mkdir -p "$sortie/findings"

# fuzzer NAME SECONDS RUNS SEEDS...: the seeds stay untouched; new inputs go to a
# working corpus beside the binary.
fuzzer() {
  local nom="$1" secondes="$2" essais="$3"
  shift 3
  local travail="$sortie/corpus_$nom" semences=()
  [ "$nom" = fuzz_wmf ] && travail="$sortie/corpus"
  mkdir -p "$travail"
  # Folders git does not keep while empty, or absent from a user's clone, are left out.
  for d in "$@"; do
    [ -d "$d" ] && semences+=("$d")
  done
  echo "fuzz: $nom: replaying the seeds"
  "$sortie/$nom" "${options[@]}" -runs=0 "$travail" "${semences[@]}" 2>"$sortie/$nom.replay.log" || {
    tail -50 "$sortie/$nom.replay.log"; exit 1; }
  # A fixed seed and count make every run of the test script try the same inputs,
  # so that a finding shows again where it was seen; longer hunts set their own.
  echo "fuzz: $nom: fuzzing ${essais} inputs from seed ${graine}, ${secondes}s at most"
  "$sortie/$nom" "${options[@]}" -seed="$graine" -runs="$essais" -max_total_time="$secondes" -print_final_stats=1 \
    "$travail" "${semences[@]}" 2>"$sortie/$nom.log" || { tail -60 "$sortie/$nom.log"; exit 1; }
  grep -E '^stat::number_of_executed_units' "$sortie/$nom.log" || true
}
graine="${FUZZ_GRAINE:-1}"

construire fuzz_wmf Qt6Gui "$racine"/platform/wmf/*.cpp "${budget[@]}" "$racine"/tests/fuzz/fuzz_wmf.cpp
construire fuzz_heif "Qt6Gui libheif lcms2" "$racine"/platform/lecteurheif.cpp "${budget[@]}" \
  "$racine"/tests/fuzz/fuzz_heif.cpp
construire fuzz_jxl "Qt6Gui libjxl libjxl_threads" "$racine"/platform/lecteurjxl.cpp "${budget[@]}" \
  "$racine"/tests/fuzz/fuzz_jxl.cpp
construire fuzz_commentaires Qt6Core "$racine"/core/commentaires.cpp "$racine"/platform/nomsfichiers.cpp \
  "$racine"/tests/fuzz/fuzz_commentaires.cpp

# Seeds for the comment files: the file's bytes, two NUL bytes, the picture's path,
# a NUL and the comment appended (see fuzz_commentaires.cpp).
semences_commentaires="$sortie/semences_commentaires"
if [ ! -d "$semences_commentaires" ]; then
  mkdir -p "$semences_commentaires"
  printf '/photos/a.jpg/Plage\n/photos/b.jpg/Port\n\0\0/photos/a.jpg\0Coucher de soleil' \
    >"$semences_commentaires/simple"
  printf '/photos/a.jpg/d\xe9j\xe0 vu\r\n/photos/\xe9t\xe9.jpg/plage\0\0/photos/\xe9t\xe9.jpg\0ligne\nsuivante' \
    >"$semences_commentaires/latin1"
  printf '\\/p/x\\ny.jpg/\xc3\xa9chapp\xc3\xa9\n/p/coup\0\0/p/x\ny.jpg\0\xe2\x82\xac' \
    >"$semences_commentaires/echappe"
  { printf '/p/long.jpg/'; head -c 13000 /dev/zero | tr '\0' 'x'; printf '\0\0/p/long.jpg\0court'; } \
    >"$semences_commentaires/long"
fi

# Seeds for the library readers, made here from small pictures when the tools are
# installed: plain and with transparency, lossy and lossless, and (for JPEG XL) a JPEG
# carried over as it was.
semences="$sortie/semences"
if [ ! -d "$semences" ]; then
  mkdir -p "$semences/heif" "$semences/jxl"
  if command -v convert >/dev/null 2>&1; then
    convert -size 24x16 gradient:red-blue "$semences/degrade.png"
    convert -size 16x16 xc:none -fill '#00c08080' -draw 'circle 8,8 8,2' "$semences/translucide.png"
    convert -size 24x16 gradient:green-yellow -quality 90 "$semences/photo.jpg"
    for f in degrade translucide; do
      convert "$semences/$f.png" "$semences/heif/$f.heic" || true
      convert "$semences/$f.png" "$semences/heif/$f.avif" || true
    done
  fi
  if command -v cjxl >/dev/null 2>&1; then
    for f in "$semences"/*.png "$semences"/*.jpg; do
      [ -f "$f" ] || continue
      cjxl "$f" "$semences/jxl/$(basename "${f%.*}").jxl" >/dev/null 2>&1 || true
      cjxl "$f" "$semences/jxl/$(basename "${f%.*}")_d0.jxl" -d 0 >/dev/null 2>&1 || true
    done
  fi
fi

fuzzer fuzz_wmf "$duree" "${FUZZ_ESSAIS:-20000}" \
  "$racine/tests/fuzz/corpus" "$racine/tests/wmf/data" "$racine/../shared/testdata/wmf"
fuzzer fuzz_heif "$duree_bibliotheques" "${FUZZ_ESSAIS_BIBLIOTHEQUES:-20000}" "$semences/heif"
fuzzer fuzz_jxl "$duree_bibliotheques" "${FUZZ_ESSAIS_BIBLIOTHEQUES:-20000}" "$semences/jxl"
fuzzer fuzz_commentaires "$duree" "${FUZZ_ESSAIS_COMMENTAIRES:-5000}" "$semences_commentaires"
echo "fuzz: no finding"
