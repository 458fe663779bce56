#pragma once
// What the copy, rename and trash tests share: a case folder holding one picture,
// files written and read by bytes, and the trash run in a child process.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

// A picture's worth of bytes that differ from one `graine` to another.
QByteArray octets(int taille, char graine);
void ecrire(const QString& chemin, const QByteArray& contenu);
// "<absent>" when the file cannot be read.
QByteArray lire(const QString& chemin);
QStringList noms(const QString& dossier);
// By bytes, for names that are not UTF-8.
QList<QByteArray> entrees(const QByteArray& dossier);
QByteArray lireOctets(const QByteArray& chemin);
void ecrireOctets(const QByteArray& chemin, const QByteArray& contenu);

// Each test's case folder `d_`, empty but for "sous/" and "photo.jpg" holding `source_`.
class CasFichiers {
protected:
    QTemporaryDir dir_;
    QString d_;
    const QByteArray source_ = octets(300000, 'a');

    // For init.
    void preparerCas();
    // For cleanup; by bytes: QDir cannot remove a name that is not UTF-8.
    void effacerCas();
};

// The trash called in a child process: with its own environment, working folder and
// user, and ended by an alarm if it never returns, so that a loop fails the test.
struct IssueEnfant {
    bool rendu = false;           // false when it never returned (killed)
    bool sansUtilisateur = false; // the user or the working folder could not be taken
    bool reussi = false;
    QString erreur;
};
using VariablesEnfant = QList<QPair<QByteArray, QByteArray>>;
constexpr uid_t Personne = 65534;

IssueEnfant corbeilleDansUnEnfant(const QString& chemin, const VariablesEnfant& env, const QByteArray& dossierCourant,
                                  uid_t utilisateur = 0);

// Names the desktop restores wrongly unless the record escapes every byte, and one
// too long to take ".trashinfo" after it.
void lignesNomsDifficiles();

// Fills a volume: one file as large as it goes, or empty files until no inode is left.
void remplir(const QByteArray& dossier, bool inodes);

// GLib shows a byte string's bytes outside printable ASCII as "\xNN".
QByteArray sansEchappements(const QByteArray& texte);

// A small tmpfs of the test's own; false where mounting is not allowed.
bool monter(const QByteArray& dossier, const char* options);

// A trash record's Path, decoded; "<illisible>" unless every byte outside the
// characters of a URL path is escaped.
QByteArray cheminDuRecord(const QByteArray& info);

// A path whose folder is given with the links resolved, as the trash records it.
QByteArray reel(const QString& dossier, const QByteArray& nom);
