#!/usr/bin/env bash
# The shared libraries a program has mapped once its first picture is on screen, counted
# from /proc/PID/maps under a private X server, with the sound ones named.
#   bench/libraries.sh PROGRAM PHOTO.JPG [SECONDS]   (SECONDS after launch, 4 by default)
set -euo pipefail
programme=$1 photo=$2 attente=${3:-4}
dossier=$(mktemp -d)
trap 'kill "$serveur" "${pid:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$dossier"' EXIT
# No start-up notice nor tip: the picture comes first.
mkdir -p "$dossier/config/Ormelle"
printf '[Avertissement]\nAffichage=Non\n\n[Conseils%%20du%%20jour]\nConseil%%20au%%20d%%E9marrage=Non\n' \
  >"$dossier/config/Ormelle/Ormelle.ini"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dossier/affichage" 2>/dev/null &
serveur=$!
for _ in $(seq 100); do [ -s "$dossier/affichage" ] && break; sleep 0.1; done
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS DISPLAY=":$(cat "$dossier/affichage")" \
  HOME="$dossier" XDG_CONFIG_HOME="$dossier/config" XDG_DATA_HOME="$dossier/data" XDG_RUNTIME_DIR="$dossier" \
  "$programme" "$photo" >/dev/null 2>&1 &
pid=$!
sleep "$attente"
bibliotheques=$(awk '$6 ~ /\.so/ {print $6}' "/proc/$pid/maps" | sort -u)
son=$(grep -E 'Multimedia|fluidsynth|sndfile|SDL2|jack|pulse|gssapi|krb5|ormelle-son' <<<"$bibliotheques" \
  | xargs -r -n1 basename | tr '\n' ' ' || true)
echo "$(wc -l <<<"$bibliotheques") bibliothèques partagées ; de son : ${son:-aucune}"
