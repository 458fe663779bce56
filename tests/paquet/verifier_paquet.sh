#!/usr/bin/env bash
# Checks Ormelle's Debian package: the files a user's system needs are in it (the
# program and its sound and image modules, every help page, the tips, the launcher, the icon, the AppStream record,
# the manual page, the copyright and the changelog), the launcher and the record name
# each other, the icon and the same picture types, both validate, Depends names the
# libraries and what is only loaded at run time, and lintian finds no error or warning.
#   verifier_paquet.sh PACKAGE.deb
#   verifier_paquet.sh --construire BUILD_FOLDER   (packages that build with cpack first)
# Exits 0 when all is there, 1 with each fault printed, 77 when the tools are missing.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

for outil in dpkg-deb; do
  command -v "$outil" >/dev/null || { echo "outil absent : $outil"; exit 77; }
done
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT

if [ "${1:-}" = "--construire" ]; then
  command -v cpack >/dev/null || { echo "outil absent : cpack"; exit 77; }
  (cd "$2" && cpack -G DEB -B "$temp/paquet" >"$temp/cpack.log" 2>&1) || { cat "$temp/cpack.log"; exit 1; }
  paquet=$(ls "$temp"/paquet/*.deb)
else
  paquet=$1
fi
[ -f "$paquet" ] || { echo "pas de paquet : $paquet"; exit 1; }

fautes=0
faute() { echo "paquet : $*"; fautes=1; }

contenu=$(dpkg-deb -c "$paquet")
fichiers=$(awk '{print $6}' <<<"$contenu" | sed 's|^\./|/|')
attendus=(
  /usr/bin/ormelle
  /usr/share/ormelle/Conseils.txt
  /usr/share/applications/io.github.ormelle.desktop
  /usr/share/metainfo/io.github.ormelle.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/ormelle.svg
  /usr/share/icons/hicolor/48x48/apps/ormelle.png
  /usr/share/icons/hicolor/256x256/apps/ormelle.png
  /usr/share/man/man1/ormelle.1.gz
  /usr/share/doc/ormelle/copyright
  /usr/share/doc/ormelle/changelog.Debian.gz
)
# Every help page of the source, at its place.
while IFS= read -r page; do
  attendus+=("/usr/share/ormelle/${page#"$source_dir"/data/}")
done < <(find "$source_dir/data/Ormelle.chm" -type f | sort)
for f in "${attendus[@]}"; do
  grep -qxF "$f" <<<"$fichiers" || faute "absent : $f"
done
grep -qE '^-rwxr-xr-x .* \./usr/bin/ormelle$' <<<"$contenu" || faute "/usr/bin/ormelle n'est pas exécutable"
grep -qE '^/usr/lib/([^/]+/)?ormelle/libormelle-son\.so$' <<<"$fichiers" \
  || faute "absent : le module de son /usr/lib/…/ormelle/libormelle-son.so"
grep -qE '^/usr/lib/([^/]+/)?ormelle/libormelle-images\.so$' <<<"$fichiers" \
  || faute "absent : le module d’images /usr/lib/…/ormelle/libormelle-images.so"

champ() { dpkg-deb -f "$paquet" "$1"; }
[ "$(champ Package)" = ormelle ] || faute "nom : $(champ Package)"
[[ "$(champ Version)" == *-* ]] || faute "version sans révision Debian : $(champ Version)"
if command -v dpkg >/dev/null; then
  [ "$(champ Architecture)" = "$(dpkg --print-architecture)" ] || faute "architecture : $(champ Architecture)"
fi
depends=$(champ Depends)
# From the program's links (dpkg-shlibdeps) and the run-time loads.
for d in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6multimedia6 'libfluidsynth[0-9]' \
         libsndfile1 libheif1 'libjxl0\.[0-9]+' liblcms2-2 libgif7 qt6-image-formats-plugins \
         'timgm6mb-soundfont \| sf2-soundfont-gm' fonts-liberation2 fonts-texgyre; do
  grep -qE "(^|, )$d( |,|$)" <<<"$depends" || faute "Depends sans $d : $depends"
done

# The installed files, as a user's system reads them.
racine=$temp/racine
dpkg-deb -x "$paquet" "$racine"
# The sound libraries come with their module, loaded on the first sound, and libheif and
# libjxl with theirs, loaded on the first such picture: never at launch.
if command -v readelf >/dev/null; then
  lies=$(readelf -d "$racine/usr/bin/ormelle" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  son=$(grep -E 'Multimedia|fluidsynth|sndfile|pulse|SDL|jack' <<<"$lies" | tr '\n' ' ' || true)
  [ -z "$son" ] || faute "le programme se lie lui-même au son : $son"
  images=$(grep -E 'heif|jxl' <<<"$lies" | tr '\n' ' ' || true)
  [ -z "$images" ] || faute "le programme se lie lui-même à libheif ou libjxl : $images"
fi
bureau=$racine/usr/share/applications/io.github.ormelle.desktop
meta=$racine/usr/share/metainfo/io.github.ormelle.metainfo.xml
if [ -f "$bureau" ] && [ -f "$meta" ]; then
  icone=$(sed -n 's/^Icon=//p' "$bureau")
  [ -f "$racine/usr/share/icons/hicolor/scalable/apps/$icone.svg" ] || faute "l'icône « $icone » n'est pas installée"
  commande=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$bureau")
  [ -x "$racine/usr/bin/$commande" ] || faute "Exec=$commande n'est pas dans /usr/bin"
  grep -qF '<id>io.github.ormelle</id>' "$meta" || faute "identifiant AppStream"
  grep -qF '<launchable type="desktop-id">io.github.ormelle.desktop</launchable>' "$meta" \
    || faute "le lanceur nommé par AppStream n'est pas io.github.ormelle.desktop"
  grep -qE '^MimeType=.*image/jpeg;' "$bureau" || faute "le lanceur n'annonce pas les types d'images"
  types_lanceur=$(sed -n 's/^MimeType=//p' "$bureau" | tr ';' '\n' | sed '/^$/d' | sort)
  types_appstream=$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$meta" | sort)
  [ "$types_lanceur" = "$types_appstream" ] \
    || faute "AppStream et le lanceur n'annoncent pas les mêmes types : $(comm -3 <(echo "$types_lanceur") \
       <(echo "$types_appstream") | tr -d '\t' | tr '\n' ' ')"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$bureau" || faute "desktop-file-validate"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$meta" >"$temp/appstream.log" 2>&1 \
      || { cat "$temp/appstream.log"; faute "appstreamcli validate"; }
  fi
fi

# What Debian's own checker says, pedantic notes included (and shown); only errors and
# warnings fail.
if command -v lintian >/dev/null; then
  if lintian --display-info --pedantic --fail-on error,warning "$paquet" >"$temp/lintian.log" 2>&1; then
    grep -E '^[EWIPX]: ' "$temp/lintian.log" || true
  else
    cat "$temp/lintian.log"
    faute "lintian"
  fi
fi

[ "$fautes" -eq 0 ] && echo "paquet : $(basename "$paquet") contient ce qu'il faut ($(wc -l <<<"$fichiers") entrées)"
exit "$fautes"
