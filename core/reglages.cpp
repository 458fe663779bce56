#include "core/tablereglages.h" // the key names (cles::) every caller of the store uses
#include "core/reglages.h"

#include "platform/erreurs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
QString cheminParDefaut()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Ormelle/Ormelle.ini");
}

// QSettings would split a stored "a,b" into a list and read "@..." as a typed value
// if it were handed anything but a QString; every value goes in and out as one.
QString cleComplete(const QString& section, const QString& cle)
{
    return section + QLatin1Char('/') + cle;
}

QMap<QString, QString> valeursDe(const QSettings& s)
{
    QMap<QString, QString> valeurs;
    for (const QString& k : s.allKeys()) {
        const QVariant v = s.value(k);
        valeurs.insert(k,
                       v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(',')) : v.toString());
    }
    return valeurs;
}

int ecrireTout(int fd, const QByteArray& octets)
{
    for (qsizetype ecrits = 0; ecrits < octets.size();) {
        const ssize_t n = ::write(fd, octets.constData() + ecrits, size_t(octets.size() - ecrits));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        ecrits += n;
    }
    return 0;
}

// A line longer than any setting Ormelle writes (folder paths included) is not one of
// them. QSettings would parse it whole, a value of commas as a list of millions of
// strings, and write it back at every save: such lines are screened out before it
// reads the file, as if absent. The file as a whole is bounded too, in bytes (QSettings
// reads it into memory at once; years of stray keys stay well within) and in the
// strings it would make, a key or a comma each, lines past either bound left out.
constexpr qsizetype LigneMax = 64 * 1024;
constexpr qsizetype TotalMax = 64 * 1024 * 1024;
constexpr qsizetype MorceauxMax = 256 * 1024;

// Cuts an INI file into the logical lines QSettings sees (a quoted value and a
// backslash run on past a line end; an unquoted ";" starts a comment) and passes on
// those within bounds, one per line. Comments go: QSettings drops them when it
// writes. Keys under a section header that was screened out go with it, rather
// than landing in the section before.
class FiltreIni {
public:
    explicit FiltreIni(int fd) : fd_(fd) { sortie_.reserve(64 * 1024); }

    int ajouter(const char* p, qsizetype n)
    {
        // The next place of each byte that can end a line or change how it reads,
        // searched again only once passed: each search crosses the block once.
        static constexpr char Speciaux[] = {'\n', '\r', '\\', '"', ';'};
        qsizetype prochain[std::size(Speciaux)];
        std::fill(std::begin(prochain), std::end(prochain), qsizetype(-1));
        const auto suivant = [&](size_t k, qsizetype i) {
            if (prochain[k] < i) {
                const void* q = std::memchr(p + i, Speciaux[k], size_t(n - i));
                prochain[k] = q ? static_cast<const char*>(q) - p : n;
            }
            return prochain[k];
        };
        for (qsizetype i = 0; i < n;) {
            // Runs of ordinary bytes inside a line go in one piece: a file of 50 MB
            // is read at every write.
            if (enUnite_ && echappe_ == 0) {
                qsizetype j = std::min(suivant(0, i), suivant(1, i));
                for (size_t k = 2; !commentaire_ && k < std::size(Speciaux); ++k) // a comment ends at a line end
                    j = std::min(j, suivant(k, i));
                if (j > i) {
                    if (!commentaire_)
                        unite_.append(p + i, std::min(j - i, std::max<qsizetype>(0, LigneMax + 1 - unite_.size())));
                    i = j;
                    continue;
                }
            }
            if (const int code = octet(p[i++]))
                return code;
        }
        return 0;
    }
    int finir()
    {
        if (enUnite_)
            if (const int code = finUnite())
                return code;
        return vider();
    }

private:
    static bool espace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

    int octet(char c)
    {
        if (!enUnite_) {
            if (espace(c))
                return 0;
            enUnite_ = true;
            commentaire_ = c == ';';
        } else if (echappe_ == '\\') {
            echappe_ = c == '\r' || c == '\n' ? c : 0; // CR LF after a backslash is one line end
            return garder(c);
        } else if (echappe_ != 0) {
            const bool paire = (echappe_ == '\r' && c == '\n') || (echappe_ == '\n' && c == '\r');
            echappe_ = 0;
            if (paire)
                return garder(c);
        }
        if (commentaire_)
            return c == '\n' || c == '\r' ? finUnite() : 0;
        if (c == '\\') {
            echappe_ = '\\';
        } else if (c == '"') {
            guillemets_ = !guillemets_;
        } else if (!guillemets_ && (c == '\n' || c == '\r')) {
            return finUnite();
        } else if (!guillemets_ && c == ';' && !unite_.isEmpty()) {
            if (const int code = finUnite())
                return code;
            return octet(c);
        }
        return garder(c);
    }

    int garder(char c)
    {
        if (unite_.size() <= LigneMax)
            unite_.append(c);
        return 0;
    }

    int finUnite()
    {
        int code = 0;
        if (!commentaire_ && !unite_.isEmpty()) {
            const bool entete = unite_.startsWith('[');
            const qsizetype morceaux = 1 + unite_.count(',');
            const bool garde =
                unite_.size() <= LigneMax && total_ + unite_.size() <= TotalMax && morceaux_ + morceaux <= MorceauxMax;
            if (entete)
                sautSection_ = !garde;
            if (garde && (entete || !sautSection_)) {
                total_ += unite_.size() + 1;
                morceaux_ += morceaux;
                sortie_.append(unite_).append('\n');
                if (sortie_.size() >= 64 * 1024)
                    code = vider();
            }
        }
        unite_.truncate(0);
        enUnite_ = commentaire_ = guillemets_ = false;
        echappe_ = 0;
        return code;
    }

    int vider()
    {
        const int code = ecrireTout(fd_, sortie_);
        sortie_.truncate(0);
        return code;
    }

    int fd_;
    QByteArray sortie_;
    QByteArray unite_;
    qsizetype total_ = 0;
    qsizetype morceaux_ = 0;
    bool enUnite_ = false;
    bool commentaire_ = false;
    bool guillemets_ = false;
    bool sautSection_ = false;
    char echappe_ = 0; // '\\' after a backslash; the line end it took, for its pair
};

// The settings file `source` screened into `fd`; 0, or the errno of the failure
// (ENOENT for no file).
int copierFiltre(const QByteArray& source, int fd)
{
    const int entree = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (entree < 0)
        return errno;
    FiltreIni filtre(fd);
    QByteArray tampon(64 * 1024, Qt::Uninitialized);
    int code = 0;
    for (;;) {
        const ssize_t n = ::read(entree, tampon.data(), size_t(tampon.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            code = n < 0 ? errno : filtre.finir();
            break;
        }
        if ((code = filtre.ajouter(tampon.constData(), n)) != 0)
            break;
    }
    ::close(entree);
    return code;
}

int synchroniser(const QByteArray& chemin, int options)
{
    const int fd = ::open(chemin.constData(), O_RDONLY | O_CLOEXEC | options);
    if (fd < 0)
        return errno;
    // Some file systems cannot sync (EINVAL): nothing more can be done there.
    const int code = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return code;
}

// Like QDir::mkpath, with the reason of a failure.
int creerDossiers(const QString& dossier)
{
    if (QFileInfo(dossier).isDir())
        return 0;
    const QString parent = QFileInfo(dossier).absolutePath();
    if (parent != dossier)
        if (const int code = creerDossiers(parent))
            return code;
    if (::mkdir(QFile::encodeName(dossier).constData(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

// QSettings only says that its write failed; a disk without room for the file is the
// one cause worth telling apart.
int causeEchecQSettings(const QByteArray& dossier, qint64 taille)
{
    struct statvfs v;
    if (::statvfs(dossier.constData(), &v) == 0 && qint64(v.f_bavail) * qint64(v.f_frsize) < taille + 65536)
        return ENOSPC;
    return EIO;
}

// A temporary file of ours, removed unless it was renamed into place.
struct Brouillon {
    QByteArray chemin;
    bool garde = false;
    ~Brouillon()
    {
        if (!chemin.isEmpty() && !garde)
            ::unlink(chemin.constData());
    }
};
} // namespace

Reglages::Reglages() : Reglages(cheminParDefaut())
{
}

Reglages::Reglages(const QString& cheminFichier) : chemin_(cheminFichier)
{
    charger();
}

Reglages::~Reglages() = default;

// QSettings keeps what it parsed of each file for the whole process, and trusts it
// while the file's size and modification time (to the millisecond) stay the same.
// This store renames new files into place behind its back, so it reads through a
// copy under a name of its own.
void Reglages::charger()
{
    QTemporaryFile copie(QDir::tempPath() + QStringLiteral("/Ormelle-XXXXXX.ini"));
    if (!copie.open()) {
        // No line of a file this small can be too long.
        if (QFileInfo(chemin_).size() <= LigneMax)
            valeurs_ = valeursDe(QSettings(chemin_, QSettings::IniFormat));
        return;
    }
    // Screened on its way, so that QSettings never meets a line too long to be a setting.
    if (copierFiltre(QFile::encodeName(chemin_), int(copie.handle())) != 0)
        return;
    copie.close();
    valeurs_ = valeursDe(QSettings(copie.fileName(), QSettings::IniFormat));
}

std::optional<QString> Reglages::lire(const QString& section, const QString& cle) const
{
    const auto it = valeurs_.constFind(cleComplete(section, cle));
    if (it == valeurs_.cend())
        return std::nullopt;
    return *it;
}

QString Reglages::GetSetting(const QString& application, const QString& section, const QString& cle,
                             const QString& defaut) const
{
    Q_UNUSED(application);
    return lire(section, cle).value_or(defaut);
}

void Reglages::SaveSetting(const QString& application, const QString& section, const QString& cle,
                           const QString& valeur)
{
    Q_UNUSED(application);
    if (valeur.size() > LigneMax) // it would be screened out at the next reading
        return;
    LotReglages lot(*this);
    valeurs_.insert(cleComplete(section, cle), valeur);
    nonEcrits_.append({cleComplete(section, cle), valeur});
}

void Reglages::DeleteSetting(const QString& application)
{
    Q_UNUSED(application);
    LotReglages lot(*this);
    valeurs_.clear();
    nonEcrits_.clear();
    effacement_ = true;
}

void Reglages::fermerLot()
{
    if (--lots_ > 0 || (nonEcrits_.isEmpty() && !effacement_))
        return;
    ++ecritures_;
    const int code = ecrire();
    if (code == 0) {
        nonEcrits_.clear();
        effacement_ = false;
    } else if (!echecSignale_) {
        echecSignale_ = true;
        emit ecritureImpossible(texteErreurSysteme(code));
    }
}

// The changes go into a copy of the file beside it, through QSettings, so that the
// format and the keys other runs wrote stay as they were; the copy is synced, renamed
// over the file and the folder synced. QSettings' own write would rename its file into
// place with its contents still in the page cache: a crash then can leave it empty.
int Reglages::ecrire()
{
    const QFileInfo info(chemin_);
    const QString cible = info.isSymLink() ? info.symLinkTarget() : chemin_; // a link to dotfiles stays a link
    const QString dossier = QFileInfo(cible).absolutePath();
    if (const int code = creerDossiers(dossier))
        return code;
    // The lock QSettings takes, so that another run writing at the same moment waits.
    QLockFile verrou(cible + QStringLiteral(".lock"));
    verrou.tryLock(2000);

    const QByteArray fichier = QFile::encodeName(cible);
    struct stat etat {};
    const bool existe = ::stat(fichier.constData(), &etat) == 0;

    Brouillon brouillon{fichier + ".XXXXXX"};
    const int fd = ::mkostemp(brouillon.chemin.data(), O_CLOEXEC);
    if (fd < 0) {
        brouillon.chemin.clear();
        return errno;
    }
    // What is screened out on reading is not written back either.
    int code = !effacement_ && existe ? copierFiltre(fichier, fd) : 0;
    if (code == 0 && ::fchmod(fd, existe ? etat.st_mode & 07777 : 0600) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code != 0)
        return code;

    // From here on QSettings holds every key of the file with every change applied,
    // written or not: that is what the program reads next, other runs' changes included.
    const qint64 taille = QFileInfo(QFile::decodeName(brouillon.chemin)).size();
    valeurs_.clear();
    QSettings s(QFile::decodeName(brouillon.chemin), QSettings::IniFormat);
    for (const auto& [cle, valeur] : std::as_const(nonEcrits_))
        s.setValue(cle, valeur);
    valeurs_ = valeursDe(s);
    s.sync();
    if (s.status() != QSettings::NoError)
        return causeEchecQSettings(QFile::encodeName(dossier), taille);
    if ((code = synchroniser(brouillon.chemin, 0)) != 0)
        return code;
    if (::rename(brouillon.chemin.constData(), fichier.constData()) != 0)
        return errno;
    brouillon.garde = true;
    synchroniser(QFile::encodeName(dossier), O_DIRECTORY); // the rename itself; the file is in place already
    return 0;
}
