#pragma once
// Folder listing shared by every file list: regular files matching a pattern list,
// in the order the user expects.
#include <QString>
#include <QStringList>

// What a file is on disk, beyond its name: a picture rewritten in place, or
// another file renamed onto its name, is another picture to every cache.
struct IdentiteFichier {
    quint64 peripherique = 0;
    quint64 inode = 0;
    qint64 taille = -1;
    qint64 modifieNs = 0;
    bool connue() const { return taille >= 0; }
    bool operator==(const IdentiteFichier& o) const
    {
        return peripherique == o.peripherique && inode == o.inode && taille == o.taille && modifieNs == o.modifieNs;
    }
    bool operator!=(const IdentiteFichier& o) const { return !(*this == o); }
    QString texte() const;
};

// stat() of a path by its exact bytes (links followed); unknown when it fails.
IdentiteFichier identiteFichier(const QString& chemin);

// Names only: a file's identity is measured when something first needs it
// (ModeleDossier::identite), not for every file of a folder that may hold thousands.
struct ContenuDossier {
    QStringList sousDossiers; // names, in list order
    QStringList fichiers;     // regular files (links followed), in list order
    QString erreur;           // French text when the folder could not be read: it is
                              // told apart from an empty one
};

// One pass over `dossier`: its subfolders and regular files, links followed to
// what they point at (devices, pipes, sockets and dangling links left out),
// hidden names (leading ".") left out, each list sorted as listerFichiers sorts. Names are
// in the form of platform/nomsfichiers.h.
ContenuDossier lireDossier(const QString& dossier);

// The names matching `motif`, in their order.
QStringList filtrerNoms(const QStringList& noms, const QString& motif);

// Names (not paths) of the regular files of `dossier` matching `motif` (";"-separated
// patterns such as "*.jpg;*.bmp", case-insensitive; "*.*" matches every file, names
// without a dot included), sorted alphabetically, case-insensitive, locale-aware.
// Hidden files (leading ".") are left out, as a file manager does. An unreadable
// folder gives an empty list and, when asked for, a French reason in `erreur`.
QStringList listerFichiers(const QString& dossier, const QString& motif, QString* erreur = nullptr);

bool correspondMotif(const QString& nom, const QString& motif);

// `dossier` + "/" + `nom`, without doubling the "/" of a root folder.
QString joindreChemin(const QString& dossier, const QString& nom);

// Sorts names the way listerFichiers does (case-insensitive, current locale).
void trierNoms(QStringList& noms);

// `chemin` itself when it is a folder that can be read, else its nearest parent
// that is; "/" at worst.
QString parentExistant(const QString& chemin);
