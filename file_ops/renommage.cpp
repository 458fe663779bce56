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

namespace {
constexpr qsizetype LongueurMaxNom = 255; // NAME_MAX, in bytes
} // namespace

QString raisonRefus(const QString& nom)
{
    if (nom.isEmpty())
        return QStringLiteral("Un nom ne peut pas être vide");
    if (nom == QLatin1String(".") || nom == QLatin1String(".."))
        return QStringLiteral("« . » et « .. » désignent des dossiers");
    if (nom.contains(QLatin1Char('/')))
        return QStringLiteral("Un nom ne peut pas contenir « / »");
    if (nom.contains(QChar(0)))
        return QStringLiteral("Un nom ne peut pas contenir de caractère nul");
    if (octetsDepuisChemin(nom).size() > LongueurMaxNom)
        return QStringLiteral("Le nom est trop long (%1 octets au plus)").arg(LongueurMaxNom);
    return {};
}

bool nomAcceptable(const QString& nom)
{
    return raisonRefus(nom).isEmpty();
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
// third name that nothing else holds, cut so that it stays a name the system takes.
int renommerCasse(const QByteArray& ancien, const QByteArray& nouveau)
{
    const QByteArray suffixe = ".ormelle-XXXXXX";
    const qsizetype debutNom = nouveau.lastIndexOf('/') + 1;
    QByteArray intermediaire =
        nouveau.left(debutNom) + nomTronque(nouveau.mid(debutNom), LongueurMaxNom - suffixe.size()) + suffixe;
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
    if (const QString raison = raisonRefus(nouveauNom); !raison.isEmpty())
        return {ResultatRenommage::NomRefuse, {}, raison};
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
