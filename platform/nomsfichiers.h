#pragma once
// File names as the file system gives them: bytes, usually UTF-8 but not
// always (old CDs, archives from other systems). A path is carried in a
// QString where each byte that is not valid UTF-8 stands as one code unit
// U+DC80..U+DCFF, so the exact bytes come back for every system call and a
// name is never mistaken for another one that merely displays the same.
#include <QByteArray>
#include <QString>

class QFile;

// Bytes from the file system to the program's path form, and back.
QString cheminDepuisOctets(const QByteArray& octets);
QByteArray octetsDepuisChemin(const QString& chemin);

// What the user reads: each stray byte shows as a replacement character.
QString texteAffichable(const QString& chemin);

// `nom` cut to at most `octetsMax` bytes, never inside a UTF-8 character: names
// built from the user's (temporaries, trash records) must stay within the 255
// bytes a file name may take.
QByteArray nomTronque(const QByteArray& nom, qsizetype octetsMax);

// A file name as a caption shows it: without its extension (".jpg" as ".heic"); a
// name without one loses its last four characters, as every caption always did.
QString nomSansExtension(const QString& nom);

// The file:// address of a path's exact bytes, as desktop services take it.
QString adresseFichier(const QString& chemin);
// A path as another program's command line takes it: the path itself, or its
// file:// address when its bytes are not text the command line would carry unchanged.
QString argumentFichier(const QString& chemin);

// Opens a file for reading by its exact bytes; false when it cannot be read.
bool ouvrirEnLecture(QFile& fichier, const QString& chemin);

// stat() by the exact bytes (links followed): what a picture file is.
struct EtatFichier {
    bool existe = false;
    bool ordinaire = false;
    bool dossier = false;
    qint64 taille = 0;
    qint64 modifieNs = 0; // last change, nanoseconds since the epoch
    // Identity on disk: two paths with the same pair reach the same file
    // (links, "./", "..", a second mount of the same disk).
    quint64 peripherique = 0;
    quint64 inode = 0;
};
EtatFichier etatFichier(const QString& chemin);
