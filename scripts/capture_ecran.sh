#!/bin/sh
# Screenshots for the README: the main window, its options panel, the thumbnail
# page, the welcome notice, the tips window, the message box, the about window, the
# hand-off messages and the longest messages of both message panels, rendered under a
# virtual X server at 96 dpi and written to docs/ as PNG.
#   scripts/capture_ecran.sh [build folder]   (default: build)
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
construction=${1:-$racine/build}

if [ ! -f "$construction/CMakeCache.txt" ]; then
    cmake -S "$racine" -B "$construction" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$construction" --target main_window_captures -j2

mkdir -p "$racine/docs"
# A fresh settings and data home, so that no user setting colours the pictures.
bac=$(mktemp -d)
trap 'rm -rf "$bac"' EXIT
mkdir -p "$bac/config" "$bac/data" "$bac/runtime"
chmod 700 "$bac/runtime"

XDG_CONFIG_HOME="$bac/config" XDG_DATA_HOME="$bac/data" XDG_RUNTIME_DIR="$bac/runtime" \
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_ENABLE_HIGHDPI_SCALING=0 \
ORMELLE_CAPTURES="$racine/docs" ASAN_OPTIONS=detect_leaks=0 \
    xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$construction/bin/main_window_captures"

ls -l "$racine/docs"/*.png
