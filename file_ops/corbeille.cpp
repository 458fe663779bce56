#include "file_ops/corbeille.h"

#include "file_ops/renommage.h"
#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

bool dansUneCorbeille(const QString& chemin)
{
    if (!QDir::isAbsolutePath(chemin))
        return false;
    static const QRegularExpression motif(QStringLiteral("/(Trash|\\.Trash/\\d+|\\.Trash-\\d+)/files/[^/]+$"));
    return motif.match(QDir::cleanPath(chemin)).hasMatch();
}

namespace {
ResultatCorbeille echec(const QString& raison)
{
    return {false, {}, raison};
}

// A failure of the trash itself rather than of the picture.
QString inaccessible(int code)
{
    QString texte = texteErreurSysteme(code);
    texte[0] = texte[0].toLower();
    return QStringLiteral("Corbeille inaccessible : ") + texte;
}

// The folder of an absolute path.
QByteArray parent(const QByteArray& chemin)
{
    const qsizetype barre = chemin.lastIndexOf('/');
    return barre <= 0 ? QByteArrayLiteral("/") : chemin.left(barre);
}

// The user's data folder, from the environment's bytes. The XDG rules ignore a
// relative value: taken as it is, it would put the trash under the working folder.
QByteArray dossierDonnees()
{
    QByteArray dossier = qgetenv("XDG_DATA_HOME");
    if (!dossier.startsWith('/')) {
        QByteArray maison = qgetenv("HOME");
        if (!maison.startsWith('/')) {
            struct passwd entree;
            struct passwd* trouvee = nullptr;
            char tampon[4096];
            if (::getpwuid_r(::geteuid(), &entree, tampon, sizeof tampon, &trouvee) == 0 && trouvee)
                maison = trouvee->pw_dir;
        }
        if (!maison.startsWith('/'))
            return {};
        dossier = maison + "/.local/share";
    }
    return octetsDepuisChemin(QDir::cleanPath(cheminDepuisOctets(dossier)));
}

// The volume of a folder that may not exist yet: that of its nearest parent that does.
dev_t peripheriqueDe(QByteArray chemin)
{
    struct stat st;
    while (::stat(chemin.constData(), &st) != 0) {
        if (chemin == "/")
            return dev_t(-1);
        chemin = parent(chemin);
    }
    return st.st_dev;
}

// mkdir -p, private to the user as the XDG rules ask: 0 or an errno.
int creerDossiers(const QByteArray& chemin)
{
    struct stat st;
    if (::stat(chemin.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    if (const int code = creerDossiers(parent(chemin)))
        return code;
    return ::mkdir(chemin.constData(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

// A folder of this user's on a shared volume, no link, made when missing: 0 or an errno.
int dossierAMoi(const QByteArray& chemin)
{
    const bool cree = ::mkdir(chemin.constData(), 0700) == 0;
    if (!cree && errno != EEXIST)
        return errno;
    struct stat st;
    if (::lstat(chemin.constData(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        return 0;
    // A volume that gives every file one owner (FAT) cannot hold a private trash.
    if (cree)
        ::rmdir(chemin.constData());
    return EACCES;
}

// The top of the volume that holds `dossier`, a real path.
QByteArray sommetDuVolume(QByteArray dossier, dev_t peripherique)
{
    struct stat st;
    while (dossier != "/" && ::stat(parent(dossier).constData(), &st) == 0 && st.st_dev == peripherique)
        dossier = parent(dossier);
    return dossier;
}

struct Corbeille {
    QByteArray dossier; // holds info/ and files/
    QByteArray sommet;  // a volume's top, which the records' paths are relative to; empty at home
    int erreur = 0;
};

// An administrator may prepare $topdir/.Trash (a real folder with the sticky bit) with
// one folder per user in it; without it, each user has $topdir/.Trash-$uid.
Corbeille corbeilleDuVolume(const QByteArray& sommet)
{
    const QByteArray racine = sommet == "/" ? QByteArray() : sommet;
    const QByteArray uid = QByteArray::number(::geteuid());
    const QByteArray partagee = racine + "/.Trash";
    struct stat st;
    if (::lstat(partagee.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0
        && dossierAMoi(partagee + '/' + uid) == 0)
        return {partagee + '/' + uid, sommet, 0};
    const QByteArray propre = racine + "/.Trash-" + uid;
    return {propre, sommet, dossierAMoi(propre)};
}

// A file moves into a trash by a rename, so only a trash on its own volume will do.
Corbeille choisirCorbeille(const QByteArray& dossierReel, dev_t peripherique)
{
    const QByteArray donnees = dossierDonnees();
    if (donnees.isEmpty())
        return {{}, {}, ENOENT};
    const QByteArray maison = donnees + "/Trash";
    if (peripheriqueDe(maison) != peripherique)
        return corbeilleDuVolume(sommetDuVolume(dossierReel, peripherique));
    return {maison, {}, creerDossiers(maison)};
}

int preparer(const QByteArray& corbeille)
{
    for (const char* sous : {"/info", "/files"})
        if (::mkdir((corbeille + sous).constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    return 0;
}

// "photo.jpg", then "photo.2.jpg", "photo.3.jpg"…, shortened where needed so that the
// record's name (NAME.trashinfo) stays within the 255 bytes a file name may have; a
// name is never cut inside a UTF-8 character.
QByteArray nomCandidat(const QByteArray& nom, int n)
{
    const qsizetype point = nom.lastIndexOf('.');
    QByteArray fin = point <= 0 ? QByteArray() : nom.mid(point);
    if (n > 1)
        fin.prepend('.' + QByteArray::number(n));
    const QByteArray souche = point <= 0 ? nom : nom.left(point);
    return nomTronque(souche, 255 - qsizetype(sizeof ".trashinfo" - 1) - fin.size()) + fin;
}

// Path escaped byte by byte (an accent, a "%", a name that is not UTF-8 all come back
// as they were); the date in local time, as the desktop shows it.
QByteArray contenuInfo(const QByteArray& chemin)
{
    const QString date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    return "[Trash Info]\nPath=" + chemin.toPercentEncoding("/") + "\nDeletionDate=" + date.toLatin1() + '\n';
}

int ecrireTout(int fd, const QByteArray& contenu)
{
    for (qsizetype fait = 0; fait < contenu.size();) {
        const ssize_t n = ::write(fd, contenu.constData() + fait, size_t(contenu.size() - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        fait += n;
    }
    return 0;
}

// The record whole and on disk, or no record at all: 0 or an errno (EEXIST for a
// name already taken).
int ecrireInfo(const QByteArray& chemin, const QByteArray& contenu)
{
    const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int code = ecrireTout(fd, contenu);
    // A full disk may only show at flush or close.
    if (code == 0 && ::fsync(fd) != 0 && errno != EINVAL)
        code = errno;
    if (::close(fd) != 0 && code == 0 && errno != EINTR)
        code = errno;
    if (code != 0)
        ::unlink(chemin.constData());
    return code;
}

// Names are tried in turn, and only a taken one moves on to the next: a trash that
// cannot be written fails at once, and a file left in files/ without its record is
// never replaced.
ResultatCorbeille deposer(const QByteArray& photo, const QByteArray& nom, const QByteArray& corbeille,
                          const QByteArray& contenu)
{
    for (int n = 1; n <= 100000; ++n) {
        const QByteArray candidat = nomCandidat(nom, n);
        const QByteArray info = corbeille + "/info/" + candidat + ".trashinfo";
        int code = ecrireInfo(info, contenu);
        if (code == EEXIST)
            continue;
        if (code != 0)
            return echec(inaccessible(code));
        const QByteArray arrivee = corbeille + "/files/" + candidat;
        code = renommerSansEcraser(photo, arrivee);
        if (code == 0)
            return {true, cheminDepuisOctets(arrivee), {}};
        ::unlink(info.constData());
        if (code != EEXIST)
            return echec(texteErreurSysteme(code));
    }
    return echec(inaccessible(EEXIST));
}
} // namespace

ResultatCorbeille envoyerCorbeille(const QString& chemin)
{
    const QByteArray photo = octetsDepuisChemin(chemin);
    struct stat st;
    if (::lstat(photo.constData(), &st) != 0)
        return echec(texteErreurSysteme(errno));
    if (dansUneCorbeille(chemin))
        return echec(QStringLiteral("L'image est déjà dans la Corbeille"));
    // The folder by its real path: the volume's top is found from it, and the record
    // names the place the desktop will put the picture back in.
    const qsizetype barre = photo.lastIndexOf('/');
    const QByteArray nom = photo.mid(barre + 1);
    if (nom.isEmpty() || nom == "." || nom == "..")
        return echec(texteErreurSysteme(EINVAL));
    char* reel = ::realpath(barre < 0 ? "." : barre == 0 ? "/" : photo.left(barre).constData(), nullptr);
    if (!reel)
        return echec(texteErreurSysteme(errno));
    const QByteArray dossier(reel);
    ::free(reel);
    if (::stat(dossier.constData(), &st) != 0)
        return echec(texteErreurSysteme(errno));

    Corbeille c = choisirCorbeille(dossier, st.st_dev);
    if (c.erreur == 0)
        c.erreur = preparer(c.dossier);
    if (c.erreur != 0)
        return echec(inaccessible(c.erreur));
    const QByteArray original = (dossier == "/" ? QByteArray() : dossier) + '/' + nom;
    const qsizetype debut = c.sommet.isEmpty() ? 0 : c.sommet == "/" ? 1 : c.sommet.size() + 1;
    return deposer(photo, nom, c.dossier, contenuInfo(original.mid(debut)));
}
