#pragma once
// Copying a picture file without ever putting the user's files at risk: the bytes
// go to a file that has no name until it is whole, which then takes the
// destination's name in one step, and a file is never copied onto itself. A copy
// killed half-way leaves nothing in the folder.
#include <QString>
#include <functional>

// Whether two paths reach the same file on disk (device and inode, links followed).
// False when either cannot be reached.
bool memeFichier(const QString& a, const QString& b);

struct ResultatCopie {
    enum Issue { Copie, MemeFichier, Annulee, Echec };
    Issue issue = Echec;
    QString erreur; // the system's error in French, for Echec
};

// Told after each chunk written: bytes done, bytes in all. Returning false stops the
// copy. Called on the thread that copies.
using ProgressionCopie = std::function<bool(qint64 faits, qint64 total)>;

struct OptionsCopie {
    // An existing destination is replaced (the user agreed to it). Without it, a file
    // that takes the destination's name while the copy runs is kept and the copy fails.
    bool remplacer = true;
    ProgressionCopie progression;
    // False goes through a named hidden file even where the file system would give an
    // unnamed one, as on the file systems that refuse them (FAT, some network shares).
    bool fichierAnonyme = true;
};

// Copies `source` to `destination`. On any failure or cancellation the destination
// keeps its old bytes and nothing new stays in its folder. Each copy also removes
// the hidden temporary files that a copy killed long ago left in that folder.
ResultatCopie copierFichier(const QString& source, const QString& destination, const OptionsCopie& options = {});
