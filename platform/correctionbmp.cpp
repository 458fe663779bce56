#include "platform/correctionbmp.h"

#include <algorithm>
#include <array>

namespace correctionbmp {

namespace {

quint32 lire32(const QByteArray& o, int pos)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | (pos + i < o.size() ? quint8(o.at(pos + i)) : 0);
    return v;
}

// What Qt made of a channel of mask `masque` (value × 256 / (max + 1)) back to 0..255.
std::array<quint8, 256> table(quint32 masque)
{
    std::array<quint8, 256> t{};
    for (int v = 0; v < 256; ++v)
        t[size_t(v)] = quint8(v);
    if (masque == 0)
        return t;
    while (!(masque & 1))
        masque >>= 1;
    const quint32 max = masque;
    if (max >= 255)
        return t;
    const quint32 echelle = 256 / (max + 1);
    for (int v = 0; v < 256; ++v)
        t[size_t(v)] = quint8(std::min<quint32>(max, quint32(v) / echelle) * 255 / max);
    return t;
}

} // namespace

void etendreCanaux16Bits(QImage& image, const QByteArray& debut)
{
    const quint32 entete = lire32(debut, 14);
    const quint32 bits = (lire32(debut, 26) >> 16) & 0xFFFF;
    if (entete < 40 || bits != 16 || image.isNull())
        return;
    const quint32 compression = lire32(debut, 30);
    quint32 r = 0x7C00, v = 0x03E0, b = 0x001F;
    if (compression == 3 || compression == 6) {
        // The masks follow a 40-byte header and sit in the same place in longer ones.
        r = lire32(debut, 54);
        v = lire32(debut, 58);
        b = lire32(debut, 62);
    } else if (compression != 0) {
        return;
    }
    const auto tr = table(r), tv = table(v), tb = table(b);
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = ligne[x];
            ligne[x] = qRgba(tr[size_t(qRed(p))], tv[size_t(qGreen(p))], tb[size_t(qBlue(p))], qAlpha(p));
        }
    }
}

} // namespace correctionbmp
