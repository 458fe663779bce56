#!/usr/bin/env bash
# Keeps the layers apart: the core (core/, platform/, file_ops/) and sound/ (the sound
# module the program loads on first need, and its loader) include no widget header and
# nothing from the window folders, and no two folders include each other, however far
# round. Prints each fault and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

NOYAU=(core platform file_ops sound)
FENETRES=(app main_window colours fullscreen dialogs)
fautes=0

# Widget headers are the ones the QtWidgets module installs, whatever their name.
widgets=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)/QtWidgets
motif_fenetres=$(IFS='|'; echo "${FENETRES[*]}")
while IFS= read -r f; do
  while IFS= read -r ligne; do
    entete=$(sed -E 's/.*#include *[<"]([^>"]+)[>"].*/\1/' <<<"$ligne")
    if [[ "$entete" =~ ^($motif_fenetres)/ ]] || [[ "$entete" == QtWidgets* ]] \
       || { [[ "$entete" != */* ]] && [ -e "$widgets/$entete" ]; }; then
      echo "couche : $f inclut $entete"
      fautes=1
    fi
  done < <(grep -E '^\s*#\s*include' "$f" || true)
done < <(find "${NOYAU[@]}" \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)

# One edge per folder that includes another; tsort finds any loop among them.
aretes=$(for d in "${NOYAU[@]}" "${FENETRES[@]}"; do
  [ -d "$d" ] || continue
  grep -rhoE '^\s*#\s*include\s*"[a-z_]+/' "$d" --include='*.cpp' --include='*.h' \
    | sed -E 's/.*"([a-z_]+)\//\1/' | sort -u | grep -vx "$d" | sed "s|^|$d |" || true
done)
if ! boucle=$(tsort <<<"$aretes" 2>&1 >/dev/null) || [ -n "$boucle" ]; then
  echo "dossiers qui s'incluent en boucle :"
  echo "$boucle" | grep -v 'input contains a loop' | sed 's/^tsort: /  /'
  fautes=1
fi

[ "$fautes" -eq 0 ] && echo "couches : le noyau est sans fenêtre et les dossiers sans boucle"
exit "$fautes"
