#include "file_ops/copie.h"

#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"

#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool memeFichier(const QString& a, const QString& b)
{
    const EtatFichier ea = etatFichier(a);
    const EtatFichier eb = etatFichier(b);
    return ea.existe && eb.existe && ea.peripherique == eb.peripherique && ea.inode == eb.inode;
}

namespace {
ResultatCopie echec(int code)
{
    return {ResultatCopie::Echec, texteErreurSysteme(code)};
}

// Closes a descriptor once, whatever way the copy leaves.
struct Descripteur {
    int fd = -1;
    ~Descripteur()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Writes all of `source` to `sortie`; 0 or the errno of the first failure.
int recopier(int source, int sortie)
{
    static constexpr size_t taille = 1 << 16;
    QByteArray tampon(int(taille), Qt::Uninitialized);
    for (;;) {
        const ssize_t lus = ::read(source, tampon.data(), taille);
        if (lus == 0)
            return 0;
        if (lus < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t faits = 0; faits < lus;) {
            const ssize_t n = ::write(sortie, tampon.constData() + faits, size_t(lus - faits));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            faits += n;
        }
    }
}

QByteArray modeleTemporaire(const QByteArray& destination)
{
    const int barre = destination.lastIndexOf('/');
    const QByteArray dossier = barre >= 0 ? destination.left(barre + 1) : QByteArray();
    const QByteArray nom = destination.mid(barre + 1);
    // Hidden, so that a file manager open on the folder does not show the half-made file.
    return dossier + '.' + nom + ".ormelle-XXXXXX";
}
} // namespace

ResultatCopie copierFichier(const QString& source, const QString& destination)
{
    if (memeFichier(source, destination))
        return {ResultatCopie::MemeFichier, {}};
    const QByteArray dest = octetsDepuisChemin(destination);
    Descripteur entree;
    entree.fd = ::open(octetsDepuisChemin(source).constData(), O_RDONLY | O_CLOEXEC);
    if (entree.fd < 0)
        return echec(errno);
    struct stat st;
    if (::fstat(entree.fd, &st) != 0)
        return echec(errno);
    if (!S_ISREG(st.st_mode))
        return echec(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);

    QByteArray temporaire = modeleTemporaire(dest);
    Descripteur sortie;
    sortie.fd = ::mkostemp(temporaire.data(), O_CLOEXEC);
    if (sortie.fd < 0)
        return echec(errno);
    int code = recopier(entree.fd, sortie.fd);
    if (code == 0 && ::fchmod(sortie.fd, st.st_mode & 0666) != 0)
        code = errno;
    // A full disk may only show at flush or close: both are checked before the rename.
    if (code == 0 && ::fsync(sortie.fd) != 0 && errno != EINVAL && errno != EROFS)
        code = errno;
    if (code == 0) {
        const int fd = sortie.fd;
        sortie.fd = -1;
        if (::close(fd) != 0)
            code = errno;
    }
    if (code == 0 && ::rename(temporaire.constData(), dest.constData()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(temporaire.constData());
        return echec(code);
    }
    return {ResultatCopie::Copie, {}};
}
