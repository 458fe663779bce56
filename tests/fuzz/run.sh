#!/usr/bin/env bash
# Builds the fuzzers (clang, libFuzzer, AddressSanitizer, UBSan) into the folder
# given: the WMF reader, the HEIC/HEIF and AVIF reader, the JPEG XL reader, the
# picture header sniffing, the picture loader as a whole, the song opening (MIDI,
# RMI, WAVE) and the comment files' reader;
# replays their seeds, then fuzzes each for a bounded time.
# Exits non-zero on any finding; quietly does nothing without clang++.
set -euo pipefail
racine="$(cd "$(dirname "$0")/../.." && pwd)"
sortie="${1:-build-fuzz}"
# The test script's run: a fixed count of inputs for each fuzzer, capped by a share of
# two minutes in all. FUZZ_SECONDES=N gives each fuzzer N seconds with no count instead,
# for the longer hunts (bench/fuzz_long.sh).
long="${FUZZ_SECONDES:-}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ absent, fuzzing skipped"
  exit 0
fi
mkdir -p "$sortie"
sortie="$(cd "$sortie" && pwd)"
budget=("$racine"/platform/dimensionsimage.cpp "$racine"/platform/formatimage.cpp)

# Every source is compiled once into objets/, with the flags of all the libraries the
# fuzzers use, as many at a time as there are cores; each fuzzer then links the objects it
# takes (the WMF reader and the size arithmetic go into several).
# shellcheck disable=SC2054
drapeaux=(-std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
entetes=("$racine"/platform/wmf/*.h "$racine"/platform/*.h "$racine"/sound/*.h "$racine"/core/*.h)
objets="$sortie/objets"
mkdir -p "$objets"

# objet SOURCE: the object SOURCE compiles into.
objet() {
  local chemin="${1#"$racine"/}"
  echo "$objets/${chemin//\//_}.o"
}

# compiler SOURCE: compiled again when it or a header changed.
compiler() {
  local o
  o="$(objet "$1")"
  if [ ! -f "$o" ] || [ -n "$(find "$1" "${entetes[@]}" -newer "$o" 2>/dev/null)" ]; then
    echo "fuzz: compiling $1"
    # shellcheck disable=SC2046
    clang++ "${drapeaux[@]}" -I"$racine" $(pkg-config --cflags Qt6Gui libheif lcms2 libjxl libjxl_threads zlib \
      sndfile libjpeg libgif) -c "$1" -o "$o.partiel"
    mv "$o.partiel" "$o"
  fi
}

# construire NAME "PKG-CONFIG MODULES" SOURCES...: in the listing pass, notes the sources;
# then links NAME again when one of its objects changed.
# Every fuzzer links libjpeg: formatimage reads JPEG headers with it.
sources=()
passe=liste
construire() {
  local nom="$1" modules="$2 libjpeg" objs=() s
  shift 2
  if [ "$passe" = liste ]; then
    sources+=("$@")
    return
  fi
  for s in "$@"; do
    objs+=("$(objet "$s")")
  done
  local binaire="$sortie/$nom"
  if [ ! -x "$binaire" ] || [ -n "$(find "${objs[@]}" -newer "$binaire")" ]; then
    echo "fuzz: building $binaire"
    # shellcheck disable=SC2046,SC2086
    clang++ "${drapeaux[@]}" "${objs[@]}" -o "$binaire" $(pkg-config --libs $modules)
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
  if [ -n "$long" ]; then
    secondes="$long"
    essais=-1
  fi
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

fuzzers() {
construire fuzz_wmf Qt6Gui "$racine"/platform/wmf/*.cpp "${budget[@]}" "$racine"/tests/fuzz/fuzz_wmf.cpp
construire fuzz_heif "Qt6Gui libheif lcms2" "$racine"/platform/lecteurheif.cpp "${budget[@]}" \
  "$racine"/tests/fuzz/fuzz_heif.cpp
construire fuzz_jxl "Qt6Gui libjxl libjxl_threads" "$racine"/platform/lecteurjxl.cpp "${budget[@]}" \
  "$racine"/tests/fuzz/fuzz_jxl.cpp
construire fuzz_entetes Qt6Gui "$racine"/platform/correctionbmp.cpp "${budget[@]}" "$racine"/tests/fuzz/fuzz_entetes.cpp
construire fuzz_chargeur "Qt6Gui lcms2 libheif libjxl libjxl_threads zlib libgif" \
  "$racine"/platform/{chargeurimage,correctionbmp,couleurs,entreeimages,inflation,jpegcmjn,lecteuranimation,lecteurgif,lecteurheif,lecteurjpeg,lecteurjxl,lecteursvg,moduleimages,modulesprives,rendusvg,reserveimages}.cpp \
  "$racine"/platform/{nomsfichiers,profilicc}.cpp "$racine"/platform/wmf/*.cpp "${budget[@]}" \
  "$racine"/tests/fuzz/fuzz_chargeur.cpp
construire fuzz_son "Qt6Core sndfile" "$racine"/sound/fichiermidi.cpp "$racine"/sound/morceaumidi.cpp \
  "$racine"/sound/sonouvert.cpp \
  "$racine"/sound/sourceson.cpp "$racine"/tests/fuzz/fuzz_son.cpp
construire fuzz_commentaires Qt6Core "$racine"/core/commentaires.cpp "$racine"/platform/nomsfichiers.cpp \
  "$racine"/tests/fuzz/fuzz_commentaires.cpp
}
fuzzers
travaux=()
while IFS= read -r source; do
  compiler "$source" &
  travaux+=("$!")
  if [ "${#travaux[@]}" -ge "$(nproc)" ]; then
    wait "${travaux[0]}"
    travaux=("${travaux[@]:1}")
  fi
done < <(printf '%s\n' "${sources[@]}" | sort -u)
for travail in "${travaux[@]}"; do
  wait "$travail"
done
passe=liens
fuzzers

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

# Seeds for the picture loader: a small picture of each format it reads, and JPEGs
# whose header hides their cost (a huge progressive frame behind a stray byte or
# thousands of empty comments).
images="$semences/images"
if [ ! -d "$images" ] && command -v convert >/dev/null 2>&1; then
  mkdir -p "$images"
  source="$semences/degrade.png"
  [ -f "$source" ] || convert -size 24x16 gradient:red-blue "$source"
  for f in png gif bmp tif webp ico tga pbm pgm ppm xpm xbm pcx; do
    convert "$source" "$images/image.$f" 2>/dev/null || true
  done
  convert "$source" -quality 80 "$images/photo.jpg"
  convert "$source" -interlace JPEG "$images/progressif.jpg"
  convert "$source" -colorspace CMYK "$images/cmjn.jpg"
  convert "$source" -colorspace Gray -interlace JPEG "$images/gris.jpg"
  convert "$source" -define bmp:subtype=RGB565 "$images/565.bmp" 2>/dev/null || true
  convert "$source" -colors 16 -compress RLE "BMP3:$images/rle.bmp" 2>/dev/null || true
  convert -delay 10 "$source" -flop "$source" -loop 0 "$images/anime.gif"
  # The GIF frame reader's cases: each disposal with a transparent part and a frame past
  # the canvas's corner, interlaced rows, a frame with a colour table of its own.
  for d in None Background Previous; do
    convert -dispose "$d" -delay 5 -size 12x8 xc:red \( -size 6x4 xc:none -fill blue -draw 'rectangle 0,0 2,3' \
      -repage +4+2 \) \( -size 5x5 xc:green -repage +9+5 \) -loop 0 "$images/dispose-$d.gif"
  done
  convert -delay 5 "$source" -flop "$source" -interlace GIF "$images/entrelace.gif"
  convert -delay 5 "$source" \( -size 24x16 gradient:green-yellow \) -loop 2 "$images/palettes.gif"
  convert -delay 10 "$source" -flip "$source" "$images/anime.mng" 2>/dev/null || true
  printf '<svg xmlns="http://www.w3.org/2000/svg" width="20" height="10"><rect width="5" height="5"/></svg>' \
    >"$images/dessin.svg"
  cp "$racine"/tests/fuzz/corpus/*.wmf "$images/" 2>/dev/null || true
  # The progressive frame header declares 20000 x 20000 (0x4E20).
  grand="$images/progressif-20000.jpg"
  cp "$images/progressif.jpg" "$grand"
  sof=$(LC_ALL=C grep -obUaP '\xFF\xC2' "$grand" | head -1 | cut -d: -f1)
  printf '\x4E\x20\x4E\x20' | dd of="$grand" bs=1 seek=$((sof + 5)) conv=notrunc status=none
  { head -c "$sof" "$grand"; printf '\0'; tail -c +$((sof + 1)) "$grand"; } >"$images/parasite.jpg"
  { head -c 2 "$grand"; for _ in $(seq 4100); do printf '\xFF\xFE\x00\x02'; done; tail -c +3 "$grand"; } \
    >"$images/commentaires.jpg"
fi

# Seeds for the song opening, written here byte by byte: MIDI of the three formats (tempo
# changes, running status, a system exclusive message, a SMPTE division), RMI, WAVE.
octets() {
  local h="$1" s="" i
  for ((i = 0; i < ${#h}; i += 2)); do s+="\\x${h:i:2}"; done
  printf "$s"
}
if [ ! -d "$semences/son" ]; then
  mkdir -p "$semences/son"
  piste0=00FF510307A12000C00000903C64603C4060803C0000F0057E7F0901F700FF2F00
  midi0=4D546864000000060000000100604D54726B00000021$piste0
  octets "$midi0" >"$semences/son/format0.mid"
  octets 4D546864000000060000000100E74D54726B00000021$piste0 >"$semences/son/smpte.mid"
  octets 4D546864000000060001000201E0\
4D54726B0000001300FF510307A1208360FF51030F424000FF2F00\
4D54726B0000001600C10500913C6410403C40913C0000E1004000FF2F00 >"$semences/son/format1.mid"
  octets 4D546864000000060002000200604D54726B0000000C00903C6460803C0000FF2F00\
4D54726B0000000C00903C6460803C0000FF2F00 >"$semences/son/format2.mid"
  octets "5249464644000000524944446461746137000000${midi0}00" >"$semences/son/enveloppe.rmi"
  octets 524946463400000057415645666D74201000000001000100401F0000401F000001000800\
6461746110000000$(printf '80%.0s' {1..16}) >"$semences/son/court.wav"
fi

# Shares of the two minutes: the readers of our own and the loader as a whole first.
fuzzer fuzz_wmf 30 20000 "$racine/tests/fuzz/corpus" "$racine/tests/wmf/data" "$racine/../shared/testdata/wmf"
fuzzer fuzz_chargeur 25 3000 "$images" "${ORMELLE_HOSTILES:-}"
fuzzer fuzz_son 15 20000 "$semences/son"
fuzzer fuzz_commentaires 15 5000 "$semences_commentaires"
fuzzer fuzz_entetes 10 20000 "$images" "${ORMELLE_HOSTILES:-}"
fuzzer fuzz_heif 15 20000 "$semences/heif"
fuzzer fuzz_jxl 10 20000 "$semences/jxl"
echo "fuzz: no finding"
