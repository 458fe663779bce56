#pragma once
// Renaming a picture file inside its folder, never over another file.
#include <QString>

struct ResultatRenommage {
    enum Issue { Renomme, Existe, NomRefuse, Echec };
    Issue issue = Echec;
    QString chemin; // the new path, for Renomme
    QString erreur; // the system's error in French, for Echec
};

// A name that stays in the folder: not empty, no "/", not "." or "..", no NUL.
bool nomAcceptable(const QString& nom);

// Gives the file `chemin` the name `nouveauNom` in the same folder. An existing file
// of that name is left alone (Existe), including when it appears between a check
// and the rename; a change of letter case alone is a rename.
ResultatRenommage renommerFichier(const QString& chemin, const QString& nouveauNom);
