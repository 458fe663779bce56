#include "platform/formatimage.h"

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>
#include <QStringList>
#include <QtEndian>

#include <climits>
#include <cstring>

namespace formatimage {

namespace {

quint32 octet(const QByteArray& o, int pos)
{
    return pos < o.size() ? quint8(o.at(pos)) : 0;
}

quint16 u16(const QByteArray& o, int pos)
{
    return quint16(octet(o, pos) | octet(o, pos + 1) << 8);
}

quint32 u32(const QByteArray& o, int pos)
{
    return u16(o, pos) | quint32(u16(o, pos + 2)) << 16;
}

bool commencePar(const QByteArray& o, const char* magie, int n)
{
    return o.size() >= n && memcmp(o.constData(), magie, size_t(n)) == 0;
}

bool estWmfSimple(const QByteArray& o)
{
    if (u32(o, 0) == 0x9AC6CDD7u)
        return true;
    const quint16 type = u16(o, 0), entete = u16(o, 2), version = u16(o, 4);
    return (type == 1 || type == 2) && entete == 9 && (version == 0x0100 || version == 0x0300);
}

struct EnteteDib {
    quint32 taille = 0;
    qint32 largeur = 0, hauteur = 0;
    quint16 plans = 0, bits = 0;
    quint32 compression = 0, couleursUtilisees = 0;
};

EnteteDib lireEnteteDib(const QByteArray& o)
{
    EnteteDib e;
    e.taille = u32(o, 0);
    if (e.taille == 12) {
        e.largeur = u16(o, 4);
        e.hauteur = u16(o, 6);
        e.plans = u16(o, 8);
        e.bits = u16(o, 10);
    } else {
        e.largeur = qint32(u32(o, 4));
        e.hauteur = qint32(u32(o, 8));
        e.plans = u16(o, 12);
        e.bits = u16(o, 14);
        e.compression = u32(o, 16);
        if (e.taille >= 36)
            e.couleursUtilisees = u32(o, 32);
    }
    return e;
}

bool dibPlausible(const EnteteDib& e)
{
    static const quint32 tailles[] = {12, 16, 40, 52, 56, 64, 108, 124};
    bool tailleConnue = false;
    for (quint32 t : tailles)
        tailleConnue = tailleConnue || e.taille == t;
    const bool bitsConnus =
        e.bits == 1 || e.bits == 2 || e.bits == 4 || e.bits == 8 || e.bits == 16 || e.bits == 24 || e.bits == 32;
    return tailleConnue && e.plans == 1 && bitsConnus && e.largeur > 0 && e.hauteur != 0 && e.compression <= 6;
}

// An ISO base media file whose brands say it holds HEVC or AV1 still pictures.
bool estHeif(const QByteArray& o)
{
    if (o.size() < 16 || o.mid(4, 4) != "ftyp")
        return false;
    static const char* const marques[] = {"heic", "heix", "hevc", "heim", "heis", "mif1", "msf1", "avif", "avis"};
    const auto connue = [](const QByteArray& m) {
        for (const char* c : marques)
            if (m == c)
                return true;
        return false;
    };
    if (connue(o.mid(8, 4)))
        return true;
    // The compatible brands follow the minor version, up to the end of the box.
    const qint64 fin = qMin<qint64>(qFromBigEndian<quint32>(o.constData()), o.size());
    for (qint64 pos = 16; pos + 4 <= fin; pos += 4)
        if (connue(o.mid(int(pos), 4)))
            return true;
    return false;
}

bool estJxl(const QByteArray& o)
{
    return commencePar(o, "\xFF\x0A", 2) || commencePar(o, "\x00\x00\x00\x0CJXL \x0D\x0A\x87\x0A", 12);
}

} // namespace

Format detecter(const QByteArray& debut)
{
    if (commencePar(debut, "\xFF\xD8\xFF", 3))
        return Format::Jpeg;
    if (commencePar(debut, "BM", 2))
        return Format::Bmp;
    if (commencePar(debut, "GIF87a", 6) || commencePar(debut, "GIF89a", 6))
        return Format::Gif;
    if (estWmfSimple(debut))
        return Format::Wmf;
    if (estHeif(debut))
        return Format::Heif;
    if (estJxl(debut))
        return Format::Jxl;
    if (dibPlausible(lireEnteteDib(debut)))
        return Format::DibSansEntete;
    return Format::Inconnu;
}

QByteArray nomQt(Format f)
{
    switch (f) {
    case Format::Jpeg:
        return "jpeg";
    case Format::Bmp:
    case Format::DibSansEntete:
        return "bmp";
    case Format::Gif:
        return "gif";
    default:
        return {};
    }
}

QSize tailleDib(const QByteArray& debut)
{
    const EnteteDib e = lireEnteteDib(debut);
    if (!dibPlausible(e))
        return {};
    const qint64 h = e.hauteur < 0 ? -qint64(e.hauteur) : qint64(e.hauteur);
    return h > INT_MAX ? QSize() : QSize(e.largeur, int(h));
}

QSize tailleGif(const QByteArray& debut)
{
    if (detecter(debut) != Format::Gif || debut.size() < 10)
        return {};
    return QSize(u16(debut, 6), u16(debut, 8));
}

namespace {

struct Composante {
    int h = 1, v = 1;
};

qint64 octetsCoefficients(const QSize& t, const QList<Composante>& composantes)
{
    int hMax = 1, vMax = 1;
    for (const Composante& c : composantes) {
        hMax = qMax(hMax, c.h);
        vMax = qMax(vMax, c.v);
    }
    // As libjpeg sizes its virtual arrays: whole MCUs of 64 two-byte coefficients.
    qint64 blocs = 0;
    for (const Composante& c : composantes) {
        const qint64 large = (qint64(t.width()) * c.h + 8 * hMax - 1) / (8 * hMax);
        const qint64 haut = (qint64(t.height()) * c.v + 8 * vMax - 1) / (8 * vMax);
        blocs += ((large + c.h - 1) / c.h * c.h) * ((haut + c.v - 1) / c.v * c.v);
    }
    return blocs * 64 * 2;
}

} // namespace

InfoJpeg lireInfoJpeg(QIODevice* appareil)
{
    InfoJpeg info;
    const qint64 depart = appareil->pos();
    auto lire = [appareil](int n) { return appareil->read(n); };
    if (lire(2) != QByteArray("\xFF\xD8", 2)) {
        appareil->seek(depart);
        return info;
    }
    QList<Composante> composantes;
    // Markers up to the first scan; segments are skipped by their length, so a long
    // EXIF block costs a seek, not a read.
    for (int n = 0; n < 4096; ++n) {
        QByteArray m = lire(2);
        while (m.size() == 2 && quint8(m[0]) == 0xFF && quint8(m[1]) == 0xFF)
            m = m.mid(1) + lire(1); // fill bytes
        if (m.size() < 2 || quint8(m[0]) != 0xFF)
            break;
        const int marqueur = quint8(m[1]);
        if (marqueur == 0xD8 || (marqueur >= 0xD0 && marqueur <= 0xD7) || marqueur == 0x01)
            continue;
        const QByteArray l = lire(2);
        if (l.size() < 2)
            break;
        const int longueur = (quint8(l[0]) << 8 | quint8(l[1])) - 2;
        if (longueur < 0)
            break;
        const bool sof =
            marqueur >= 0xC0 && marqueur <= 0xCF && marqueur != 0xC4 && marqueur != 0xC8 && marqueur != 0xCC;
        if (sof) {
            const QByteArray f = lire(longueur);
            if (f.size() < 6)
                break;
            info.taille = QSize(quint8(f[3]) << 8 | quint8(f[4]), quint8(f[1]) << 8 | quint8(f[2]));
            info.progressif = marqueur == 0xC2 || marqueur == 0xC6 || marqueur == 0xCA || marqueur == 0xCE;
            const int nb = quint8(f[5]);
            for (int i = 0; i < nb && 6 + 3 * i + 2 < f.size(); ++i) {
                const int facteurs = quint8(f[6 + 3 * i + 1]);
                composantes.append({qMax(1, facteurs >> 4), qMax(1, facteurs & 0x0F)});
            }
            continue;
        }
        if (marqueur == 0xDA) {
            const QByteArray sos = lire(1);
            const bool partiel = sos.size() == 1 && quint8(sos[0]) < composantes.size();
            info.ok = !info.taille.isEmpty() && !composantes.isEmpty();
            if (info.ok && (info.progressif || partiel))
                info.octetsCoefficients = octetsCoefficients(info.taille, composantes);
            break;
        }
        if (marqueur == 0xD9 || !appareil->seek(appareil->pos() + longueur))
            break;
    }
    appareil->seek(depart);
    return info;
}

InfoJpeg lireInfoJpeg(const QByteArray& octets)
{
    QByteArray copie = octets;
    QBuffer tampon(&copie);
    tampon.open(QIODevice::ReadOnly);
    return lireInfoJpeg(&tampon);
}

Contenu genreContenu(const QByteArray& debut)
{
    if (commencePar(debut, "\x1F\x8B", 2))
        return Contenu::Svgz; // the only gzip a picture reader here would take
    if (commencePar(debut, "%PDF-", 5))
        return Contenu::Pdf;
    QByteArray texte = debut;
    if (commencePar(texte, "\xEF\xBB\xBF", 3))
        texte = texte.mid(3);
    const QByteArray tete = texte.left(OctetsSniff).trimmed().toLower();
    if (tete.startsWith("<svg")
        || ((tete.startsWith("<?xml") || tete.startsWith("<!doctype") || tete.startsWith("<!--"))
            && tete.contains("<svg")))
        return Contenu::Svg;
    // Text: no control bytes but line breaks and tabs (UTF-8 passes, binary does not).
    // Pictures written as text (XPM, XBM, plain PNM) stay pictures.
    const bool imageTexte =
        tete.startsWith("/* xpm") || tete.startsWith("! xpm2") || tete.startsWith("#define")
        || (tete.size() > 2 && tete[0] == 'p' && tete[1] >= '1' && tete[1] <= '3' && QChar(tete[2]).isSpace());
    if (texte.isEmpty() || imageTexte)
        return Contenu::Image;
    for (char c : texte.left(OctetsSniff)) {
        const quint8 o = quint8(c);
        if (o < 0x20 && o != '\n' && o != '\r' && o != '\t' && o != '\f')
            return Contenu::Image;
    }
    return Contenu::Texte;
}

QByteArray dibEnBmp(const QByteArray& dib)
{
    const EnteteDib e = lireEnteteDib(dib);
    if (!dibPlausible(e))
        return {};
    const bool os2 = e.taille == 12;
    quint64 couleurs = e.couleursUtilisees;
    if (couleurs == 0 && e.bits <= 8)
        couleurs = 1u << e.bits;
    quint64 decalage = 14 + quint64(e.taille) + couleurs * (os2 ? 3 : 4);
    if (e.taille == 40 && e.compression == 3)
        decalage += 12; // the three colour masks follow a short header
    else if (e.taille == 40 && e.compression == 6)
        decalage += 16;
    const quint64 total = 14 + quint64(dib.size());
    if (decalage > total)
        return {};
    QByteArray bmp(14, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(quint32(total), bmp.data() + 2);
    qToLittleEndian<quint32>(quint32(decalage), bmp.data() + 10);
    return bmp + dib;
}

} // namespace formatimage

const char* const MotifSixFormats = "*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf";

QString motifImagesLisibles()
{
    static const QString motif = [] {
        QStringList motifs = QString::fromLatin1(MotifSixFormats).split(QLatin1Char(';'));
        // Read by the loader's own readers, whatever Qt's plugins are.
        motifs << QStringLiteral("*.heic") << QStringLiteral("*.heif") << QStringLiteral("*.avif")
               << QStringLiteral("*.jxl");
        for (const QByteArray& f : QImageReader::supportedImageFormats()) {
            const QString m = QStringLiteral("*.") + QString::fromLatin1(f).toLower();
            if (!motifs.contains(m))
                motifs << m;
        }
        return motifs.join(QLatin1Char(';'));
    }();
    return motif;
}
