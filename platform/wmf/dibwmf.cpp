#include "platform/wmf/dibwmf.h"

#include "platform/wmf/octets.h"
#include "platform/formatimage.h"

#include <QBuffer>
#include <QImageReader>

namespace wmf {

namespace {

enum Compression { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiJpeg = 4, BiPng = 5 };
constexpr int LargeurMax = 1 << 16;

struct EnteteDib {
    int largeur = 0, hauteur = 0; // hauteur < 0: rows stored top first
    int bits = 0, compression = 0, nbCouleurs = 0;
    quint32 masques[3] = {0, 0, 0};
    int taille = 0; // header bytes, masks included
};

bool lireEntete(Octets& o, EnteteDib* e)
{
    const quint32 taille = o.u32();
    if (taille == 12) {
        e->largeur = o.u16();
        e->hauteur = o.u16();
        o.u16();
        e->bits = o.u16();
        e->taille = 12;
        return o.ok();
    }
    if (taille < 40 || taille > 1024 || qint64(taille) > o.taille())
        return false;
    e->largeur = o.i32();
    e->hauteur = o.i32();
    o.u16();
    e->bits = o.u16();
    e->compression = int(o.u32());
    o.sauter(12); // image size, resolution
    const quint32 utilisees = o.u32();
    e->nbCouleurs = utilisees > 256 ? 256 : int(utilisees);
    o.aller(40);
    e->taille = int(taille);
    if (e->compression == BiBitfields) {
        for (quint32& m : e->masques)
            m = o.u32();
        if (taille == 40)
            e->taille += 12;
    }
    return o.ok() && e->hauteur != INT_MIN;
}

bool plausible(const EnteteDib& e, qint64 pixelsMax)
{
    static const int profondeurs[] = {1, 4, 8, 16, 24, 32};
    const bool profondeurOk = std::find(std::begin(profondeurs), std::end(profondeurs), e.bits) != std::end(profondeurs)
                              || e.compression == BiJpeg || e.compression == BiPng;
    return profondeurOk && e.largeur > 0 && e.largeur <= LargeurMax && e.hauteur != 0
           && qAbs(qint64(e.hauteur)) <= LargeurMax && qint64(e.largeur) * qAbs(qint64(e.hauteur)) <= pixelsMax
           && e.compression >= 0 && e.compression <= BiPng;
}

QVector<QRgb> lireTable(Octets& o, const EnteteDib& e, int usage, const QVector<QRgb>& palette)
{
    int n = e.nbCouleurs;
    if (n == 0 && e.bits <= 8)
        n = 1 << e.bits;
    QVector<QRgb> table;
    for (int i = 0; i < n && o.ok(); ++i) {
        if (usage == DibPal) {
            const int k = o.u16();
            table.append(k < palette.size() ? palette[k] : qRgb(k, k, k));
        } else {
            const int b = o.u8(), g = o.u8(), r = o.u8();
            if (e.taille != 12)
                o.u8();
            table.append(qRgb(r, g, b));
        }
    }
    while (e.bits <= 8 && table.size() < (1 << e.bits))
        table.append(qRgb(0, 0, 0));
    return table;
}

struct Masque {
    quint32 m = 0;
    int decalage = 0;
    quint32 max = 1;
    explicit Masque(quint32 masque) : m(masque)
    {
        if (!m)
            return;
        while (!((m >> decalage) & 1))
            ++decalage;
        max = m >> decalage;
    }
    int valeur(quint32 px) const { return m ? int(((px & m) >> decalage) * 255 / max) : 0; }
};

void decoderLignes(const uchar* bits, QImage& img, const EnteteDib& e, const QVector<QRgb>& table, int lignes)
{
    const qint64 pas = ((qint64(e.largeur) * e.bits + 31) / 32) * 4;
    quint32 m[3] = {e.masques[0], e.masques[1], e.masques[2]};
    if (e.compression != BiBitfields || !(m[0] | m[1] | m[2])) {
        m[0] = e.bits == 16 ? 0x7C00 : 0xFF0000;
        m[1] = e.bits == 16 ? 0x03E0 : 0x00FF00;
        m[2] = e.bits == 16 ? 0x001F : 0x0000FF;
    }
    const Masque r(m[0]), g(m[1]), b(m[2]);
    const int h = img.height();
    for (int ligne = 0; ligne < lignes; ++ligne) {
        const uchar* s = bits + pas * ligne;
        const int y = e.hauteur > 0 ? h - 1 - ligne : ligne;
        QRgb* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < e.largeur; ++x) {
            switch (e.bits) {
            case 1:
                d[x] = table[(s[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                d[x] = table[(s[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
                break;
            case 8:
                d[x] = table[s[x]];
                break;
            case 24:
                d[x] = qRgb(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
                break;
            default: {
                const quint32 px = e.bits == 16 ? quint32(s[2 * x] | (s[2 * x + 1] << 8))
                                                : quint32(s[4 * x] | (s[4 * x + 1] << 8) | (s[4 * x + 2] << 16)
                                                          | (quint32(s[4 * x + 3]) << 24));
                d[x] = qRgb(r.valeur(px), g.valeur(px), b.valeur(px));
            }
            }
        }
    }
}

// Run-length bitmaps: pixels not covered by the runs stay at the first colour.
void decoderRle(Octets o, QImage& img, const EnteteDib& e, const QVector<QRgb>& table)
{
    const bool quatre = e.compression == BiRle4;
    const int h = img.height(), w = img.width();
    int x = 0, y = 0;
    auto poser = [&](int index) {
        if (x < w && y < h)
            reinterpret_cast<QRgb*>(img.scanLine(h - 1 - y))[x] = table[index & (quatre ? 0x0F : 0xFF)];
        ++x;
    };
    while (o.ok() && o.reste() >= 2 && y < h) {
        const int n = o.u8(), c = o.u8();
        if (n > 0) {
            for (int i = 0; i < n && x < w; ++i)
                poser(quatre ? (i & 1 ? c : c >> 4) : c);
        } else if (c == 0) {
            x = 0, ++y;
        } else if (c == 1) {
            break;
        } else if (c == 2) {
            x += o.u8();
            y += o.u8();
        } else {
            const int octets = quatre ? (c + 1) / 2 : c;
            const uchar* s = o.ici();
            if (!o.peutLire(octets))
                break;
            for (int i = 0; i < c && x < w; ++i)
                poser(quatre ? (i & 1 ? s[i / 2] : s[i / 2] >> 4) : s[i]);
            o.sauter((octets + 1) & ~1);
        }
    }
}

QImage lireCompresse(Octets o, qint64 pixelsMax, const dimensions::Budget& budget)
{
    QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char*>(o.ici()), o.reste());
    QBuffer tampon(&octets);
    tampon.open(QIODevice::ReadOnly);
    QImageReader lecteur(&tampon);
    const QSize t = lecteur.size();
    if (!t.isValid() || qint64(t.width()) * t.height() > pixelsMax)
        return {};
    // A progressive JPEG keeps coefficients for the whole picture, whatever its pixels cost.
    if (lecteur.format() == "jpeg"
        && dimensions::echelleJpeg(t, QSize(), formatimage::lireInfoJpeg(octets).octetsCoefficients, budget) != 8)
        return {};
    return lecteur.read().convertToFormat(QImage::Format_RGB32);
}

} // namespace

QSize tailleDib(const uchar* d, qsizetype n)
{
    Octets o(d, n);
    EnteteDib e;
    if (!lireEntete(o, &e))
        return {0, 0};
    return {e.largeur, qAbs(e.hauteur)};
}

QImage lireDib(const uchar* d, qsizetype n, int usage, const QVector<QRgb>& palette, qint64 pixelsMax,
               const dimensions::Budget& budget)
{
    Octets o(d, n);
    EnteteDib e;
    if (!lireEntete(o, &e) || !plausible(e, pixelsMax))
        return {};
    o.aller(e.taille);
    if (e.compression == BiJpeg || e.compression == BiPng)
        return lireCompresse(o, pixelsMax, budget);
    if ((e.compression == BiRle8 && e.bits != 8) || (e.compression == BiRle4 && e.bits != 4))
        return {};
    const QVector<QRgb> table = lireTable(o, e, usage, palette);
    if (!o.ok())
        return {};
    const qint64 pas = ((qint64(e.largeur) * e.bits + 31) / 32) * 4;
    const int hauteur = qAbs(e.hauteur);
    const bool rle = e.compression == BiRle8 || e.compression == BiRle4;
    // A bitmap cut short keeps the rows that are there; no rows, no bitmap.
    const int lignes = rle ? hauteur : int(qMin<qint64>(hauteur, o.reste() / pas));
    if (lignes <= 0)
        return {};
    QImage img(e.largeur, hauteur, QImage::Format_RGB32);
    if (img.isNull())
        return {};
    img.fill(table.isEmpty() ? Qt::black : QColor(table[0]));
    if (rle)
        decoderRle(o, img, e, table);
    else
        decoderLignes(o.ici(), img, e, table, lignes);
    return img;
}

} // namespace wmf
