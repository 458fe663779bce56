#include "core/commentaires.h"
#include "core/commentaires_lecture.h"

#include "platform/nomsfichiers.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace commentaires {

QString dossierUtilisateur()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Ormelle");
}

QString fichierDe(const QString& dossierDonnees, const QString& dossierImages)
{
    QString dossier = dossierImages;
    while (dossier.size() > 1 && dossier.endsWith(QLatin1Char('/')))
        dossier.chop(1);
    const QString dernier = dossier == QLatin1String("/") ? QString() : dossier.section(QLatin1Char('/'), -1);
    return dossierDonnees + QLatin1Char('/') + dernier + QStringLiteral(".txt");
}

namespace {
// A byte that is not UTF-8, as platform/nomsfichiers.h carries it in a path.
bool octetIsole(QChar c)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}
} // namespace

QString cle(const QString& cheminImage)
{
    const auto aEchapper = [](QChar c) {
        return c == QLatin1Char('\\') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || octetIsole(c);
    };
    if (std::none_of(cheminImage.cbegin(), cheminImage.cend(), aEchapper))
        return cheminImage;
    QString echappe(1, QLatin1Char('\\'));
    for (QChar c : cheminImage) {
        if (c == QLatin1Char('\\'))
            echappe += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            echappe += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            echappe += QLatin1String("\\r");
        else if (octetIsole(c))
            echappe += QStringLiteral("\\x%1").arg(c.unicode() - 0xDC00, 2, 16, QLatin1Char('0'));
        else
            echappe += c;
    }
    return echappe;
}

QString ligne(const QString& cheminImage, const QString& commentaire)
{
    QString texte = commentaire;
    texte.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : texte)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return cle(cheminImage) + QLatin1Char('/') + texte;
}

namespace lecture {
QByteArrayView sansCaractereCoupe(QByteArrayView tete)
{
    qsizetype i = tete.size();
    qsizetype suite = 0;
    while (i > 0 && suite < 3 && (uchar(tete[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++suite;
    }
    if (i == 0)
        return tete;
    const uchar debut = uchar(tete[i - 1]);
    const qsizetype longueur = debut >= 0xF0 ? 4 : debut >= 0xE0 ? 3 : debut >= 0xC0 ? 2 : 1;
    return longueur > suite + 1 ? tete.first(i - 1) : tete;
}

QString borne(QString texte, bool coupee)
{
    if (!coupee && texte.size() <= LongueurMax)
        return texte;
    texte.truncate(LongueurMax);
    if (!texte.isEmpty() && texte.back().isHighSurrogate())
        texte.chop(1);
    return texte + QChar(0x2026);
}

int ouvrir(const QString& fichier, struct stat* etat)
{
    const int fd = ::open(octetsDepuisChemin(fichier).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && (::fstat(fd, etat) != 0 || !S_ISREG(etat->st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace lecture

namespace {
using lecture::borne;
using lecture::sansCaractereCoupe;

// The line's text after the key, or nullopt when the line does not begin with it.
// `tete` is the line's beginning; `coupee` says that the line went on past it.
std::optional<QString> apresCle(QByteArrayView tete, bool coupee, const QByteArray& cleUtf8,
                                const QByteArray& cleLatin1)
{
    if (!coupee && tete.endsWith('\r'))
        tete.chop(1);
    const QByteArrayView l = coupee ? sansCaractereCoupe(tete) : tete;
    if (l.startsWith(cleUtf8)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString texte = utf8.decode(l);
        if (!utf8.hasError())
            return borne(texte.mid(QString::fromUtf8(cleUtf8).size()), coupee);
    }
    if (!cleLatin1.isEmpty() && tete.startsWith(cleLatin1)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString essai = utf8.decode(l); // decoding is lazy until it becomes a QString
        if (utf8.hasError())                  // a valid UTF-8 line was judged above
            return borne(QString::fromLatin1(tete.sliced(cleLatin1.size())), coupee);
    }
    return std::nullopt;
}

} // namespace

QString chercher(const QString& fichier, const QString& cheminImage, const std::atomic<bool>* annulation)
{
    if (cheminImage.isEmpty())
        return {};
    struct stat etat {};
    const int fd = lecture::ouvrir(fichier, &etat);
    if (fd < 0)
        return {};
    const QString debutLigne = cle(cheminImage) + QLatin1Char('/');
    const QByteArray cleUtf8 = debutLigne.toUtf8();
    // A key that Latin-1 cannot spell cannot begin a Latin-1 line.
    QStringEncoder latin1(QStringEncoder::Latin1);
    QByteArray cleLatin1 = latin1.encode(debutLigne); // converted here: encoding is lazy
    if (latin1.hasError())
        cleLatin1.clear();

    const qsizetype garde = lecture::garde(std::max(cleUtf8.size(), cleLatin1.size()));
    std::optional<QString> texte;
    const bool lu = lecture::parcourirLignes(fd, garde, annulation, [&](QByteArrayView tete, bool coupee) {
        if (std::optional<QString> t = apresCle(tete, coupee, cleUtf8, cleLatin1))
            texte = std::move(t); // the last record wins
        return true;
    });
    ::close(fd);
    return lu ? texte.value_or(QString()) : QString();
}

bool ajouter(const QString& fichier, const QString& cheminImage, const QString& commentaire, QString* erreur)
{
    auto echec = [erreur](const QString& texte) {
        if (erreur)
            *erreur = texte;
        return false;
    };
    QDir().mkpath(fichier.section(QLatin1Char('/'), 0, -2));
    const QByteArray chemin = octetsDepuisChemin(fichier);
    const int fd = ::open(chemin.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return echec(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat etat {};
    if (::fstat(fd, &etat) != 0) {
        const int e = errno;
        ::close(fd);
        return echec(QString::fromLocal8Bit(std::strerror(e)));
    }
    QByteArray octets = (ligne(cheminImage, commentaire) + QLatin1Char('\n')).toUtf8();
    // A last line cut short (O_RDWR above lets us read its last byte) (an earlier crash) must not swallow this record.
    if (etat.st_size > 0) {
        char dernier = '\n';
        if (::pread(fd, &dernier, 1, etat.st_size - 1) == 1 && dernier != '\n')
            octets.prepend('\n');
    }
    qsizetype ecrits = 0;
    while (ecrits < octets.size()) {
        const ssize_t n = ::write(fd, octets.constData() + ecrits, size_t(octets.size() - ecrits));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int e = n < 0 ? errno : ENOSPC;
            // A part of a record is no record: take it back, the old lines stay as they were.
            if (ecrits > 0 && ::ftruncate(fd, etat.st_size) != 0) {
            }
            ::close(fd);
            return echec(QString::fromLocal8Bit(std::strerror(e)));
        }
        ecrits += n;
    }
    const bool sur = ::fsync(fd) == 0 || errno == EINVAL;
    const int e = errno;
    if (::close(fd) != 0 || !sur)
        return echec(QString::fromLocal8Bit(std::strerror(e)));
    return true;
}

bool reporter(const QString& dossierDonnees, const QString& ancien, const QString& nouveau, QString* erreur)
{
    const auto dossier = [](const QString& chemin) { return chemin.left(chemin.lastIndexOf(QLatin1Char('/'))); };
    const QString texte = chercher(fichierDe(dossierDonnees, dossier(ancien)), ancien);
    const QString fichier = fichierDe(dossierDonnees, dossier(nouveau));
    if (chercher(fichier, nouveau) == texte)
        return true;
    return ajouter(fichier, nouveau, texte, erreur);
}

} // namespace commentaires
