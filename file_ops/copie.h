#pragma once
// Copying a picture file without ever putting the user's files at risk: the bytes
// go to a temporary file beside the destination, which replaces the destination
// only once it is whole, and a file is never copied onto itself.
#include <QString>

// Whether two paths reach the same file on disk (device and inode, links followed).
// False when either cannot be reached.
bool memeFichier(const QString& a, const QString& b);

struct ResultatCopie {
    enum Issue { Copie, MemeFichier, Echec };
    Issue issue = Echec;
    QString erreur; // the system's error in French, for Echec
};

// Copies `source` to `destination`, replacing it when it exists. On any failure
// the destination keeps its old bytes and no temporary file is left behind.
ResultatCopie copierFichier(const QString& source, const QString& destination);
