#pragma once
// Sending a picture file to the desktop's trash (freedesktop), where the user can
// restore it: the record naming its place (info/NAME.trashinfo) is written whole
// before the file moves, so the trash never holds a file it cannot put back, and
// every failure leaves the picture where it was.
#include <QString>

struct ResultatCorbeille {
    bool reussi = false;
    QString cheminCorbeille; // where the file now lies, when sent
    QString erreur;          // in French, when not: the file is then still in place
};

// The trash of the home folder ($XDG_DATA_HOME/Trash) for a file on its volume,
// <volume>/.Trash/<uid> or <volume>/.Trash-<uid> for a file elsewhere. Only absolute
// locations are used: nothing is ever made under the working folder.
ResultatCorbeille envoyerCorbeille(const QString& chemin);

// Whether `chemin` lies in the "files" folder of a freedesktop trash
// (~/.local/share/Trash, <volume>/.Trash/<uid>, <volume>/.Trash-<uid>).
bool dansUneCorbeille(const QString& chemin);
