#include "file_ops/copie.h"

#include "file_ops/renommage.h"
#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
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
constexpr int Annulation = -1; // beside the errno values, which are all positive
constexpr int NomMax = 255;    // bytes in one name, on every file system Linux writes to
// A temporary file is hidden and its name ends in this and six letters or digits.
constexpr char Marque[] = ".ormelle-";
constexpr int LongueurMarque = sizeof Marque - 1;
constexpr int LongueurSuffixe = LongueurMarque + 6;
constexpr time_t UnJour = 24 * 60 * 60;

ResultatCopie echec(int code)
{
    return {ResultatCopie::Echec, texteErreurSysteme(code)};
}

// Closes a descriptor once, whatever way the copy leaves.
struct Descripteur {
    int fd = -1;
    ~Descripteur() { fermer(); }
    int fermer()
    {
        const int f = fd;
        fd = -1;
        return f >= 0 ? ::close(f) : 0;
    }
};

// The destination's folder ("" or ending in "/") and name.
struct Chemin {
    QByteArray dossier;
    QByteArray nom;
    QByteArray complet() const { return dossier + nom; }
    QByteArray dossierOuvrable() const { return dossier.isEmpty() ? QByteArray(".") : dossier; }
};

Chemin decouper(const QByteArray& chemin)
{
    const int barre = chemin.lastIndexOf('/');
    return {chemin.left(barre + 1), chemin.mid(barre + 1)};
}

bool estTemporaire(const char* nom)
{
    const size_t n = std::strlen(nom);
    if (n < size_t(LongueurSuffixe) || nom[0] != '.')
        return false;
    const char* fin = nom + n - LongueurSuffixe;
    if (std::memcmp(fin, Marque, LongueurMarque) != 0)
        return false;
    for (const char* c = fin + LongueurMarque; *c; ++c)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    return true;
}

// What copies killed before their end left in the folder, and nothing else: regular
// files of the temporaries' name, untouched for a day (a copy still writing touches
// its file at each chunk).
void balayer(const QByteArray& dossier)
{
    DIR* d = ::opendir(dossier.constData());
    if (!d)
        return;
    const time_t limite = ::time(nullptr) - UnJour;
    while (const dirent* e = ::readdir(d)) {
        struct stat st;
        if (estTemporaire(e->d_name) && ::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(st.st_mode) && st.st_mtime < limite)
            ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

// Writes all of `source` to `sortie`; 0, the errno of the first failure, or Annulation.
int recopier(int source, int sortie, qint64 total, const ProgressionCopie& progression)
{
    static constexpr size_t taille = 1 << 16;
    QByteArray tampon(int(taille), Qt::Uninitialized);
    qint64 copies = 0;
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
        copies += lus;
        if (progression && !progression(copies, total))
            return Annulation;
    }
}

// The bytes, the source's permissions, and the disk's word that they are written.
int ecrire(int source, int sortie, const struct stat& st, const ProgressionCopie& progression)
{
    int code = recopier(source, sortie, qint64(st.st_size), progression);
    if (code == 0 && ::fchmod(sortie, st.st_mode & 0666) != 0)
        code = errno;
    // A full disk may only show at flush: checked before the file takes its name.
    if (code == 0 && ::fsync(sortie) != 0 && errno != EINVAL && errno != EROFS)
        code = errno;
    return code;
}

// Refusals that mean "no unnamed files here" rather than "no writing here": the file
// system lacks them (EOPNOTSUPP), or the kernel predates them (EISDIR, EINVAL).
bool sansFichierAnonyme(int code)
{
    return code == EOPNOTSUPP || code == EISDIR || code == EINVAL;
}

// Gives the unnamed file `fd` the name `chemin`, never replacing a file there; 0 or errno.
int nommer(int fd, const QByteArray& chemin)
{
    const QByteArray lien = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, lien.constData(), AT_FDCWD, chemin.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
    // No /proc: the direct form, which some kernels keep to privileged users.
    return ::linkat(fd, "", AT_FDCWD, chemin.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

QByteArray nomAleatoire()
{
    static constexpr char signes[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray nom(Marque);
    for (int i = 0; i < 6; ++i)
        nom += signes[QRandomGenerator::global()->bounded(int(sizeof signes - 1))];
    return nom;
}

// Only rename() replaces a file in one step, and it needs a name to start from: a
// short one, so that any destination name allowed fits.
int remplacerPar(int fd, const Chemin& dest)
{
    for (int essai = 0; essai < 100; ++essai) {
        const QByteArray temporaire = dest.dossier + nomAleatoire();
        const int code = nommer(fd, temporaire);
        if (code == EEXIST)
            continue;
        if (code != 0)
            return code;
        if (::rename(temporaire.constData(), dest.complet().constData()) == 0)
            return 0;
        const int erreur = errno;
        ::unlink(temporaire.constData());
        return erreur;
    }
    return EEXIST;
}

// The unnamed road: nothing has a name in the folder until the copy is whole.
int copierAnonyme(int source, int sortie, const struct stat& st, const Chemin& dest, const OptionsCopie& options)
{
    if (const int code = ecrire(source, sortie, st, options.progression))
        return code;
    return options.remplacer ? remplacerPar(sortie, dest) : nommer(sortie, dest.complet());
}

// The named road, where the file system has no unnamed files: a hidden file beside
// the destination, removed on any failure.
int copierNomme(int source, const struct stat& st, const Chemin& dest, const OptionsCopie& options)
{
    QByteArray temporaire = dest.dossier + '.' + nomTronque(dest.nom, NomMax - 1 - LongueurSuffixe) + Marque + "XXXXXX";
    Descripteur sortie;
    sortie.fd = ::mkostemp(temporaire.data(), O_CLOEXEC);
    if (sortie.fd < 0)
        return errno;
    int code = ecrire(source, sortie.fd, st, options.progression);
    // Some network file systems only report a full disk at close.
    if (sortie.fermer() != 0 && code == 0)
        code = errno;
    if (code == 0) {
        const QByteArray chemin = dest.complet();
        if (options.remplacer)
            code = ::rename(temporaire.constData(), chemin.constData()) == 0 ? 0 : errno;
        else
            code = renommerSansEcraser(temporaire, chemin);
    }
    if (code != 0)
        ::unlink(temporaire.constData());
    return code;
}
} // namespace

ResultatCopie copierFichier(const QString& source, const QString& destination, const OptionsCopie& options)
{
    if (memeFichier(source, destination))
        return {ResultatCopie::MemeFichier, {}};
    const Chemin dest = decouper(octetsDepuisChemin(destination));
    Descripteur entree;
    entree.fd = ::open(octetsDepuisChemin(source).constData(), O_RDONLY | O_CLOEXEC);
    if (entree.fd < 0)
        return echec(errno);
    struct stat st;
    if (::fstat(entree.fd, &st) != 0)
        return echec(errno);
    if (!S_ISREG(st.st_mode))
        return echec(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    balayer(dest.dossierOuvrable());

    Descripteur sortie;
    sortie.fd = options.fichierAnonyme
                    ? ::open(dest.dossierOuvrable().constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
                    : -1;
    const int refus = sortie.fd >= 0 ? 0 : options.fichierAnonyme ? errno : EOPNOTSUPP;
    int code = refus;
    if (sortie.fd >= 0)
        code = copierAnonyme(entree.fd, sortie.fd, st, dest, options);
    else if (sansFichierAnonyme(refus))
        code = copierNomme(entree.fd, st, dest, options);
    if (code == Annulation)
        return {ResultatCopie::Annulee, {}};
    if (code != 0)
        return echec(code);
    return {ResultatCopie::Copie, {}};
}
