#include "file_ops/renommage.h"

#include "file_ops/copie.h"
#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"

#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool nomAcceptable(const QString& nom)
{
    return !nom.isEmpty() && nom != QLatin1String(".") && nom != QLatin1String("..") && !nom.contains(QLatin1Char('/'))
           && !nom.contains(QChar(0));
}

int renommerSansEcraser(const QByteArray& ancien, const QByteArray& nouveau)
{
    if (::renameat2(AT_FDCWD, ancien.constData(), AT_FDCWD, nouveau.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::link(ancien.constData(), nouveau.constData()) != 0) {
        if (errno != EPERM && errno != ENOTSUP)
            return errno;
        // No hard links either (FAT, some network shares): the last resort checks first.
        struct stat st;
        if (::lstat(nouveau.constData(), &st) == 0)
            return EEXIST;
        return ::rename(ancien.constData(), nouveau.constData()) == 0 ? 0 : errno;
    }
    if (::unlink(ancien.constData()) != 0) {
        const int code = errno;
        ::unlink(nouveau.constData());
        return code;
    }
    return 0;
}

namespace {
// On a file system that ignores case, the new name is the file itself: go through a
// third name that nothing else holds.
int renommerCasse(const QByteArray& ancien, const QByteArray& nouveau)
{
    QByteArray intermediaire = nouveau + ".ormelle-XXXXXX";
    const int fd = ::mkstemp(intermediaire.data());
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(intermediaire.constData());
    if (const int code = renommerSansEcraser(ancien, intermediaire))
        return code;
    if (const int code = renommerSansEcraser(intermediaire, nouveau)) {
        renommerSansEcraser(intermediaire, ancien);
        return code;
    }
    return 0;
}
} // namespace

ResultatRenommage renommerFichier(const QString& chemin, const QString& nouveauNom)
{
    if (!nomAcceptable(nouveauNom))
        return {ResultatRenommage::NomRefuse, {}, {}};
    const int barre = chemin.lastIndexOf(QLatin1Char('/'));
    const QString nouveauChemin = chemin.left(barre + 1) + nouveauNom;
    if (nouveauChemin == chemin)
        return {ResultatRenommage::Renomme, chemin, {}};
    const QByteArray ancien = octetsDepuisChemin(chemin);
    const QByteArray nouveau = octetsDepuisChemin(nouveauChemin);
    struct stat st;
    if (::lstat(ancien.constData(), &st) != 0)
        return {ResultatRenommage::Echec, {}, texteErreurSysteme(errno)};
    int code = renommerSansEcraser(ancien, nouveau);
    if (code == EEXIST && nouveauChemin.compare(chemin, Qt::CaseInsensitive) == 0 && memeFichier(chemin, nouveauChemin))
        code = renommerCasse(ancien, nouveau);
    if (code == EEXIST)
        return {ResultatRenommage::Existe, {}, {}};
    if (code != 0)
        return {ResultatRenommage::Echec, {}, texteErreurSysteme(code)};
    return {ResultatRenommage::Renomme, nouveauChemin, {}};
}
