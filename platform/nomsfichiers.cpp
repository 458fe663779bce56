#include "platform/nomsfichiers.h"

#include <QFile>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char16_t Echappe = 0xDC00;

// Length of the valid UTF-8 sequence starting at `i`, 0 when the byte there
// does not start one (overlong forms, surrogates and values past U+10FFFF
// are not valid either).
int longueurUtf8(const unsigned char* o, qsizetype i, qsizetype n, char32_t& point)
{
    const unsigned char c = o[i];
    int longueur;
    char32_t minimum;
    if (c < 0x80) {
        point = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0) {
        longueur = 2, minimum = 0x80, point = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        longueur = 3, minimum = 0x800, point = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        longueur = 4, minimum = 0x10000, point = c & 0x07;
    } else {
        return 0;
    }
    if (i + longueur > n)
        return 0;
    for (int k = 1; k < longueur; ++k) {
        if ((o[i + k] & 0xC0) != 0x80)
            return 0;
        point = (point << 6) | (o[i + k] & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return 0;
    return longueur;
}

bool estEchappe(char16_t u)
{
    return u >= 0xDC80 && u <= 0xDCFF;
}
} // namespace

QString cheminDepuisOctets(const QByteArray& octets)
{
    const auto* o = reinterpret_cast<const unsigned char*>(octets.constData());
    const qsizetype n = octets.size();
    // Written in place: never more code units than bytes. Appending each character
    // costs more than the whole listing of a large folder otherwise does.
    QString chemin(n, Qt::Uninitialized);
    char16_t* u = reinterpret_cast<char16_t*>(chemin.data());
    qsizetype fin = 0;
    for (qsizetype i = 0; i < n;) {
        if (o[i] < 0x80) {
            u[fin++] = o[i++];
            continue;
        }
        char32_t point = 0;
        const int l = longueurUtf8(o, i, n, point);
        if (l == 0) {
            u[fin++] = char16_t(Echappe + o[i]);
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(point)) {
            u[fin++] = QChar::highSurrogate(point);
            u[fin++] = QChar::lowSurrogate(point);
        } else {
            u[fin++] = char16_t(point);
        }
        i += l;
    }
    chemin.truncate(fin);
    return chemin;
}

QByteArray octetsDepuisChemin(const QString& chemin)
{
    bool echappes = false;
    for (QChar c : chemin)
        echappes = echappes || estEchappe(c.unicode());
    if (!echappes)
        return chemin.toUtf8();
    QByteArray octets;
    QString morceau;
    for (QChar c : chemin) {
        if (estEchappe(c.unicode())) {
            octets += morceau.toUtf8();
            morceau.clear();
            octets += char(c.unicode() - Echappe);
        } else {
            morceau += c;
        }
    }
    return octets + morceau.toUtf8();
}

QString texteAffichable(const QString& chemin)
{
    QString texte = chemin;
    for (QChar& c : texte)
        if (estEchappe(c.unicode()))
            c = QChar::ReplacementCharacter;
    return texte;
}

QByteArray nomTronque(const QByteArray& nom, qsizetype octetsMax)
{
    if (nom.size() <= octetsMax)
        return nom;
    qsizetype fin = qMax<qsizetype>(0, octetsMax);
    while (fin > 0 && (uchar(nom.at(fin)) & 0xC0) == 0x80)
        --fin;
    return nom.left(fin);
}

QString adresseFichier(const QString& chemin)
{
    return QStringLiteral("file://") + QString::fromLatin1(QUrl::toPercentEncoding(octetsDepuisChemin(chemin), "/"));
}

QString argumentFichier(const QString& chemin)
{
    for (QChar c : chemin)
        if (estEchappe(c.unicode()))
            return adresseFichier(chemin);
    return chemin;
}

bool ouvrirEnLecture(QFile& fichier, const QString& chemin)
{
    const int fd = ::open(octetsDepuisChemin(chemin).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

EtatFichier etatFichier(const QString& chemin)
{
    EtatFichier etat;
    struct stat st;
    if (chemin.isEmpty() || ::stat(octetsDepuisChemin(chemin).constData(), &st) != 0)
        return etat;
    etat.existe = true;
    etat.ordinaire = S_ISREG(st.st_mode);
    etat.dossier = S_ISDIR(st.st_mode);
    etat.taille = st.st_size;
    etat.modifieNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    etat.peripherique = quint64(st.st_dev);
    etat.inode = quint64(st.st_ino);
    return etat;
}

QString nomSansExtension(const QString& nom)
{
    const qsizetype point = nom.lastIndexOf(QLatin1Char('.'));
    if (point > 0 && nom.size() - point <= 5)
        return nom.left(point);
    return nom.chopped(qMin<qsizetype>(4, nom.size()));
}
