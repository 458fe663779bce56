#include "imagesessai.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

#include <cstdlib>

namespace essai {

namespace {

void ajouter16(QByteArray& o, quint16 v)
{
    o.append(char(v & 0xFF));
    o.append(char(v >> 8));
}

void ajouter32(QByteArray& o, quint32 v)
{
    ajouter16(o, quint16(v & 0xFFFF));
    ajouter16(o, quint16(v >> 16));
}

// LZW codes packed least significant bit first, as GIF wants them.
class Bits {
public:
    void ecrire(int code, int largeur)
    {
        for (int i = 0; i < largeur; ++i) {
            if (m_n == 0)
                m_octets.append('\0');
            if (code & (1 << i))
                m_octets.back() = char(quint8(m_octets.back()) | (1 << m_n));
            m_n = (m_n + 1) % 8;
        }
    }
    QByteArray octets() const { return m_octets; }

private:
    QByteArray m_octets;
    int m_n = 0;
};

} // namespace

bool ecrire(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size();
}

QByteArray bmp(int largeur, int hauteur, int bits, quint32 compression, const QList<QRgb>& palette,
               const QByteArray& pixels, bool avecEnteteFichier)
{
    QByteArray info;
    ajouter32(info, 40);
    ajouter32(info, quint32(largeur));
    ajouter32(info, quint32(hauteur));
    ajouter16(info, 1);
    ajouter16(info, quint16(bits));
    ajouter32(info, compression);
    ajouter32(info, quint32(pixels.size()));
    ajouter32(info, 2835);
    ajouter32(info, 2835);
    ajouter32(info, quint32(palette.size()));
    ajouter32(info, 0);
    for (QRgb c : palette)
        ajouter32(info, c & 0xFFFFFF); // blue, green, red, reserved
    if (!avecEnteteFichier)
        return info + pixels;
    QByteArray fichier("BM");
    ajouter32(fichier, quint32(14 + info.size() + pixels.size()));
    ajouter32(fichier, 0);
    ajouter32(fichier, quint32(14 + info.size()));
    return fichier + info + pixels;
}

QByteArray bmp24(const QImage& image, bool avecEnteteFichier)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QByteArray pixels;
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const QRgb* ligne = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            pixels.append(char(qBlue(ligne[x])));
            pixels.append(char(qGreen(ligne[x])));
            pixels.append(char(qRed(ligne[x])));
        }
        while (pixels.size() % 4)
            pixels.append('\0');
    }
    return bmp(rgb.width(), rgb.height(), 24, 0, {}, pixels, avecEnteteFichier);
}

QByteArray gif(int largeur, int hauteur, const QList<QRgb>& palette, const QByteArray& indices, int transparent)
{
    // A 4-entry table keeps every code 3 bits wide: a clear code before each pixel stops
    // the dictionary from growing, which any decoder accepts.
    Q_ASSERT(palette.size() == 4);
    QByteArray o("GIF89a");
    ajouter16(o, quint16(largeur));
    ajouter16(o, quint16(hauteur));
    o.append(char(0x91)).append('\0').append('\0');
    for (QRgb c : palette)
        o.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    o.append("\x21\xF9\x04", 3).append(char(transparent >= 0 ? 1 : 0));
    ajouter16(o, 0);
    o.append(char(transparent >= 0 ? transparent : 0)).append('\0');
    o.append(char(0x2C));
    ajouter16(o, 0);
    ajouter16(o, 0);
    ajouter16(o, quint16(largeur));
    ajouter16(o, quint16(hauteur));
    o.append('\0').append(char(2));
    Bits bits;
    for (char i : indices) {
        bits.ecrire(4, 3);
        bits.ecrire(quint8(i), 3);
    }
    bits.ecrire(5, 3);
    const QByteArray donnees = bits.octets();
    for (qsizetype i = 0; i < donnees.size(); i += 255) {
        const QByteArray bloc = donnees.mid(i, 255);
        o.append(char(bloc.size())).append(bloc);
    }
    o.append('\0').append(char(0x3B));
    return o;
}

QByteArray jpeg(const QImage& image, int orientation, int qualite)
{
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter ecrivain(&tampon, "jpeg");
    ecrivain.setQuality(qualite);
    ecrivain.write(image);
    if (orientation <= 0)
        return octets;
    // Exif APP1 with one IFD entry: Orientation (0x0112), SHORT, count 1.
    QByteArray exif("Exif\0\0II*\0", 10);
    ajouter32(exif, 8);
    ajouter16(exif, 1);
    ajouter16(exif, 0x0112);
    ajouter16(exif, 3);
    ajouter32(exif, 1);
    ajouter16(exif, quint16(orientation));
    ajouter16(exif, 0);
    ajouter32(exif, 0);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF));
    return octets.left(2) + segment + exif + octets.mid(2);
}

QImage surFond(const QImage& image, QRgb fond)
{
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(fond);
    QPainter peintre(&opaque);
    peintre.drawImage(0, 0, image);
    return opaque;
}

QString comparer(const QImage& obtenue, const QImage& attendue, int ecartMax, double ecartMoyen, const QString& nom)
{
    QString probleme;
    if (obtenue.size() != attendue.size()) {
        probleme = QStringLiteral("taille %1x%2 au lieu de %3x%4")
                       .arg(obtenue.width())
                       .arg(obtenue.height())
                       .arg(attendue.width())
                       .arg(attendue.height());
    } else {
        const QImage a = obtenue.convertToFormat(QImage::Format_RGB32);
        const QImage b = attendue.convertToFormat(QImage::Format_RGB32);
        int pire = 0;
        double somme = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                const int e = std::max(
                    {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
                pire = std::max(pire, e);
                somme += e;
            }
        const double moyen = a.isNull() ? 0 : somme / (double(a.width()) * a.height());
        if (pire > ecartMax || moyen > ecartMoyen)
            probleme = QStringLiteral("écart max %1, moyen %2").arg(pire).arg(moyen, 0, 'f', 2);
    }
    if (!probleme.isEmpty()) {
        const QString dossier = QDir::temp().filePath(QStringLiteral("ormelle-echecs"));
        QDir().mkpath(dossier);
        obtenue.save(dossier + QLatin1Char('/') + nom + QStringLiteral("-obtenue.png"));
        attendue.save(dossier + QLatin1Char('/') + nom + QStringLiteral("-attendue.png"));
        probleme = nom + QStringLiteral(" : ") + probleme + QStringLiteral(" (images dans ") + dossier + u')';
    }
    return probleme;
}

} // namespace essai
