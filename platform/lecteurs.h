#pragma once
// The drives of the browser: the home folder first, then the mounted volumes
// that hold real file systems, each shown by its mount point and label.
#include <QList>
#include <QString>

struct Lecteur {
    QString racine;  // "/" paths; a root ends in "/"
    QString libelle; // shown in the drive list
};

// Home folder, then the real mounted volumes (no tmpfs, proc, sysfs, cgroup…).
QList<Lecteur> listerLecteurs();

// Index of the drive that contains `chemin` (the longest root that is a prefix
// of it), or -1.
int lecteurDe(const QList<Lecteur>& lecteurs, const QString& chemin);

// Empty when the folder can be opened and read, otherwise the reason in French.
QString erreurLectureDossier(const QString& dossier);

// A folder path in the program's form: "/" separators, no trailing "/" except
// for the root.
QString normaliserDossier(const QString& dossier);
