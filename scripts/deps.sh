#!/usr/bin/env bash
# Installs the Debian packages Ormelle builds, runs and tests with, when any is missing.
set -euo pipefail

PAQUETS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-image-formats-plugins
  libgl-dev zlib1g-dev libfluidsynth-dev libsndfile1-dev timgm6mb-soundfont
  libheif-dev libjxl-dev liblcms2-dev
  fonts-liberation2 fonts-dejavu fonts-texgyre
  xvfb xauth qt6-translations-l10n qt6-wayland xdg-utils
  libjpeg62-turbo-dev libxcb1-dev libgif-dev
)
# Only the tests want these: the fuzzer (clang's libFuzzer), a private session bus, a
# private sound server for the player's test and its recorder (parec), a private X server
# with a window manager and its tools, a private Wayland compositor and a clipboard reader
# of its own, the bench's reference tools, img2webp to make animated WebP files and cjxl
# to make JPEG XL ones (ImageMagick writes HEIC and AVIF), and the Adobe RGB and CMYK
# profiles Ghostscript ships, to tag pictures with.
if [ "${1:-}" = "--tests" ] || [ "${1:-}" = "--bench" ]; then
  PAQUETS+=(clang libclang-rt-14-dev dbus-daemon libjpeg-turbo-progs libvips-tools pulseaudio pulseaudio-utils fluidsynth
            xdotool x11-utils openbox imagemagick weston wl-clipboard webp libjxl-tools
            libgs-common)
fi
# The desktop's own trash (gvfs), which reads back what Ormelle sends to the trash: its
# command-line client (it starts in the private session bus above).
if [ "${1:-}" = "--tests" ]; then
  PAQUETS+=(gvfs libglib2.0-bin)
fi
# The linker of the sanitized test programs, four times quicker than GNU ld.
if [ "${1:-}" = "--tests" ]; then
  PAQUETS+=(lld)
fi
# The Debian package's checks: dpkg-shlibdeps fills its Depends, the launcher and the
# AppStream record go through their validators, and lintian goes through the whole.
if [ "${1:-}" = "--tests" ]; then
  PAQUETS+=(dpkg-dev desktop-file-utils appstream lintian)
fi
# The start-up race against other viewers, watched on a real X server, and the animated
# GIF players its full-screen animation is timed beside.
if [ "${1:-}" = "--bench" ]; then
  PAQUETS+=(feh libx11-6 gifsicle eog)
fi

manquants=()
for p in "${PAQUETS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$p")
done
[ ${#manquants[@]} -eq 0 ] && exit 0

echo "Installation de : ${manquants[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${manquants[@]}"
