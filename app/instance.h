#pragma once
// Tells whether another Ormelle is already running. The lock is held for the
// whole life of this object and dropped by the system if the process dies.
#include <QLockFile>
#include <QString>

class Instance {
public:
    // `dossier` holds the lock file: the runtime folder of the session when empty.
    explicit Instance(const QString& dossier = QString());
    // Only a lock held by a live process means another Ormelle: a lock that cannot be
    // written (read-only or missing runtime folder) lets this one run alone, silently.
    bool autreEnCours() const { return autre_; }
    bool verrouImpossible() const { return !premiere_ && !autre_; }
    QString fichier() const { return chemin_; }

private:
    QString chemin_;
    QLockFile verrou_;
    bool premiere_ = false;
    bool autre_ = false;
};
