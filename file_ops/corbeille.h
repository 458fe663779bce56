#pragma once
// Sending a picture file to the desktop's trash (freedesktop), where the user can
// restore it.
#include <QString>

struct ResultatCorbeille {
    bool reussi = false;
    QString cheminCorbeille; // where the file now lies, when sent
    QString erreur;          // in French, when not: the file is then still in place
};

ResultatCorbeille envoyerCorbeille(const QString& chemin);

// Whether `chemin` lies in the "files" folder of a freedesktop trash
// (~/.local/share/Trash, <volume>/.Trash/<uid>, <volume>/.Trash-<uid>).
bool dansUneCorbeille(const QString& chemin);
