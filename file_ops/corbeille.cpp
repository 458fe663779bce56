#include "file_ops/corbeille.h"

#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

bool dansUneCorbeille(const QString& chemin)
{
    if (!QDir::isAbsolutePath(chemin))
        return false;
    static const QRegularExpression motif(QStringLiteral("/(Trash|\\.Trash/\\d+|\\.Trash-\\d+)/files/[^/]+$"));
    return motif.match(QDir::cleanPath(chemin)).hasMatch();
}

namespace {
bool existe(const QByteArray& chemin)
{
    struct stat st;
    return ::lstat(chemin.constData(), &st) == 0;
}
} // namespace

ResultatCorbeille envoyerCorbeille(const QString& chemin)
{
    const QByteArray octets = octetsDepuisChemin(chemin);
    if (!existe(octets))
        return {false, {}, texteErreurSysteme(ENOENT)};
    // Without the user's data folder, Qt puts the file in "files/" under the current
    // folder (a fresh account has none yet): make sure it is there first.
    const QString donnees = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!donnees.isEmpty())
        QDir().mkpath(donnees);

    QFile fichier(QFile::decodeName(octets));
    if (!fichier.moveToTrash())
        return {false, {}, QStringLiteral("Le fichier n'a pas pu être mis dans la Corbeille")};
    const QString arrivee = fichier.fileName();
    if (dansUneCorbeille(arrivee) && !existe(octets))
        return {true, arrivee, {}};

    // Sent somewhere that is no trash: bring it back where the user left it.
    const QByteArray ou = QFile::encodeName(QDir(arrivee).absolutePath());
    if (!existe(octets))
        ::renameat2(AT_FDCWD, ou.constData(), AT_FDCWD, octets.constData(), RENAME_NOREPLACE);
    return {false, {}, QStringLiteral("La Corbeille de l'utilisateur est introuvable")};
}
