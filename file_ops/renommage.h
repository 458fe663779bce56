#pragma once
// Renaming a picture file inside its folder, never over another file.
#include <QByteArray>
#include <QString>

struct ResultatRenommage {
    enum Issue { Renomme, Existe, NomRefuse, Echec };
    Issue issue = Echec;
    QString chemin; // the new path, for Renomme
    QString erreur; // why, in French: the system's error for Echec, the name's fault for NomRefuse
};

// A name that stays in the folder: not empty, no "/", not "." or "..", no NUL,
// within the 255 bytes a file name may take.
bool nomAcceptable(const QString& nom);
// Why a name is refused, in French and without a final stop; empty when it is accepted.
QString raisonRefus(const QString& nom);

// rename() that never replaces, between any two paths of one volume: renameat2 where
// the file system has it, link and unlink where it has hard links. 0 or an errno
// (EEXIST for a taken name).
int renommerSansEcraser(const QByteArray& ancien, const QByteArray& nouveau);

// Gives the file `chemin` the name `nouveauNom` in the same folder. An existing file
// of that name is left alone (Existe), including when it appears between a check
// and the rename; a change of letter case alone is a rename.
ResultatRenommage renommerFichier(const QString& chemin, const QString& nouveauNom);
