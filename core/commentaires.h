#pragma once
// Picture comments: one file per folder name in the user's data folder, one
// record per line, "<picture's full path>/<comment>". The full path is the key:
// folders that share their last name share a file, never their comments, and a
// name that ends another name ("A.JPG", "PLAGEA.JPG") never matches it.
#include <QString>

#include <atomic>

namespace commentaires {

// The longest comment a lookup gives, in characters: no one writes more over a
// picture, and a label lays out a few thousand at once. Longer ones come cut, "…"
// at their end.
constexpr int LongueurMax = 4000;

// $XDG_DATA_HOME/Ormelle (~/.local/share/Ormelle by default).
QString dossierUtilisateur();

// The comment file of a picture folder: its last component + ".txt" in
// dossierDonnees; a root folder has an empty last component, hence ".txt".
QString fichierDe(const QString& dossierDonnees, const QString& dossierImages);

// What a record holds for a picture before "/" and its comment: the path as it
// is, or, when it holds a line break, a backslash or bytes that are not UTF-8, a
// backslash and then the path with \\, \n, \r and \xHH (one per stray byte) in
// their place. An ordinary path begins with "/", so the two forms never meet, and
// no folder name can start a record of its own or read as another name.
QString cle(const QString& cheminImage);

// The line appended for a comment, without its line end. A line break typed in
// the text would start a record of its own: it becomes a space.
QString ligne(const QString& cheminImage, const QString& commentaire);

// The comment of a picture: the text after "cle(cheminImage)/" on the last line
// that begins with exactly that. Empty for no line or no readable file. Lines may end
// in CR LF; a line that is not valid UTF-8 is read as Latin-1. The file is read a
// block at a time and no more than LongueurMax characters of a line are kept, so a
// file of any size costs little memory; `annulation`, when set, ends the read early
// (with an empty result).
QString chercher(const QString& fichier, const QString& cheminImage, const std::atomic<bool>* annulation = nullptr);

// Appends one whole record, creating the file and its folder when missing. The
// lines already there are never rewritten: the file is opened for appending and
// the record goes out in one write. False, with nothing added, on failure.
bool ajouter(const QString& fichier, const QString& cheminImage, const QString& commentaire, QString* erreur = nullptr);

// A picture that moved (renamed, or copied to `nouveau`) takes its comment along:
// one record for the new path. None is written when the new path already reads
// the same comment; a new path that would read an older picture's comment gets
// an empty one. False, with nothing added, when the record cannot be written.
bool reporter(const QString& dossierDonnees, const QString& ancien, const QString& nouveau, QString* erreur = nullptr);

} // namespace commentaires
