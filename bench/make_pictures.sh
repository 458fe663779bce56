#!/usr/bin/env bash
# Makes the synthetic inputs of the figures, outside the repository.
# Usage: bench/make_pictures.sh [BENCH_EXECUTABLE] [OUTPUT_FOLDER]
set -euo pipefail
BENCH=${1:-build-release/bench/ormelle-bench}
OUT=${2:-${TMPDIR:-/tmp}/ormelle-bench}
mkdir -p "$OUT"
[ -s "$OUT/photo-24mp.jpg" ] || "$BENCH" make-jpeg "$OUT/photo-24mp.jpg" 6000 4000 --quality 90 --seed 1
[ -s "$OUT/photo-100mp.jpg" ] || "$BENCH" make-jpeg "$OUT/photo-100mp.jpg" 12500 8000 --quality 90 --seed 2
# A phone photo's size in HEIC, made from the 24-megapixel landscape (ImageMagick writes it).
[ -s "$OUT/photo-12mp.heic" ] || convert "$OUT/photo-24mp.jpg" -resize 4000x3000 -quality 80 "$OUT/photo-12mp.heic"
# Twenty photos of one size for the preview and the slideshow.
if [ ! -d "$OUT/photos-24mp" ]; then
  mkdir -p "$OUT/photos-24mp.tmp"
  for i in $(seq -w 1 20); do
    "$BENCH" make-jpeg "$OUT/photos-24mp.tmp/photo$i.jpg" 6000 4000 --quality 90 --seed "$((100 + 10#$i))"
  done
  mv "$OUT/photos-24mp.tmp" "$OUT/photos-24mp"
fi
# The first nine of them, one thumbnail page.
if [ ! -d "$OUT/photos-24mp-9" ]; then
  mkdir -p "$OUT/photos-24mp-9"
  ln -f "$OUT"/photos-24mp/photo0[1-9].jpg "$OUT/photos-24mp-9/"
fi
if [ ! -d "$OUT/dossier-100000" ]; then
  "$BENCH" make-folder "$OUT/dossier-100000.tmp" 100000
  mv "$OUT/dossier-100000.tmp" "$OUT/dossier-100000"
fi
ls -l "$OUT"
