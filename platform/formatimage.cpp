#include "platform/formatimage.h"

#include <QImageReader>
#include <QStringList>
#include <QtEndian>

#include <climits>
#include <cstring>

namespace formatimage {

namespace {

quint32 octet(const QByteArray& o, int pos) { return pos < o.size() ? quint8(o.at(pos)) : 0; }

quint16 u16(const QByteArray& o, int pos) { return quint16(octet(o, pos) | octet(o, pos + 1) << 8); }

quint32 u32(const QByteArray& o, int pos) { return u16(o, pos) | quint32(u16(o, pos + 2)) << 16; }

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
    const bool bitsConnus = e.bits == 1 || e.bits == 2 || e.bits == 4 || e.bits == 8
                            || e.bits == 16 || e.bits == 24 || e.bits == 32;
    return tailleConnue && e.plans == 1 && bitsConnus && e.largeur > 0 && e.hauteur != 0
           && e.compression <= 6;
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
    if (dibPlausible(lireEnteteDib(debut)))
        return Format::DibSansEntete;
    return Format::Inconnu;
}

QByteArray nomQt(Format f)
{
    switch (f) {
    case Format::Jpeg: return "jpeg";
    case Format::Bmp:
    case Format::DibSansEntete: return "bmp";
    case Format::Gif: return "gif";
    default: return {};
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
        decalage += 12;  // the three colour masks follow a short header
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
        for (const QByteArray& f : QImageReader::supportedImageFormats()) {
            const QString m = QStringLiteral("*.") + QString::fromLatin1(f).toLower();
            if (!motifs.contains(m))
                motifs << m;
        }
        return motifs.join(QLatin1Char(';'));
    }();
    return motif;
}
