#pragma once
// Folder listing shared by every file list: regular files matching a pattern list,
// in the order the user expects.
#include <QString>
#include <QStringList>

// Names (not paths) of the regular files of `dossier` matching `motif` (";"-separated
// patterns such as "*.jpg;*.bmp", case-insensitive; "*.*" matches every file, names
// without a dot included), sorted alphabetically, case-insensitive, locale-aware.
// Hidden files (leading ".") are left out, as a file manager does. An unreadable
// folder gives an empty list and, when asked for, a French reason in `erreur`.
QStringList listerFichiers(const QString& dossier, const QString& motif, QString* erreur = nullptr);

// What a folder holds that a viewer lists: regular files matching a pattern and
// folders, links followed to what they point at (devices, pipes, sockets and dangling
// links are left out), both sorted as listerFichiers sorts. A folder that cannot be
// read is told apart from an empty one: `lisible` false and a French `erreur`.
struct ListeDossier {
    QStringList fichiers;
    QStringList dossiers;
    bool lisible = true;
    QString erreur;
};
ListeDossier lireDossier(const QString& dossier, const QString& motif);

// The subfolders alone (hidden ones left out), sorted.
QStringList listerDossiers(const QString& dossier, QString* erreur = nullptr);

bool correspondMotif(const QString& nom, const QString& motif);

// `dossier` + "/" + `nom`, without doubling the "/" of a root folder.
QString joindreChemin(const QString& dossier, const QString& nom);

// Sorts names the way listerFichiers does (case-insensitive, current locale).
void trierNoms(QStringList& noms);
