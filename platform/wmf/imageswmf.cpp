// Bitmap records: the DIB blits, the older device-dependent ones and PatBlt.
#include "platform/wmf/dibwmf.h"
#include "platform/wmf/enregistrements.h"
#include "platform/wmf/joueurwmf.h"

namespace wmf {

namespace {

struct ModeRop {
    quint8 rop3;
    QPainter::CompositionMode mode;
};

// The ternary raster operations QPainter can do; the others fall back to a copy.
const ModeRop ModesSource[] = {
    {0x88, QPainter::RasterOp_SourceAndDestination},       // SRCAND
    {0xEE, QPainter::RasterOp_SourceOrDestination},        // SRCPAINT
    {0x66, QPainter::RasterOp_SourceXorDestination},       // SRCINVERT
    {0x44, QPainter::RasterOp_SourceAndNotDestination},    // SRCERASE
    {0x11, QPainter::RasterOp_NotSourceAndNotDestination}, // NOTSRCERASE
    {0xBB, QPainter::RasterOp_NotSourceOrDestination},     // MERGEPAINT
    {0x33, QPainter::RasterOp_NotSource},                  // NOTSRCCOPY
};

QRectF lireDest(Octets& p)
{
    const qint16 h = p.i16(), w = p.i16(), y = p.i16(), x = p.i16();
    return QRectF(x, y, w, h);
}

} // namespace

void JoueurWmf::blitMotif(const QRectF& dest, quint32 rop)
{
    const quint8 rop3 = quint8(rop >> 16);
    const QPolygonF zone = m_transfo.map(QPolygonF(dest));
    if (!payer(aireVisible(zone.boundingRect())))
        return;
    m_peintre.save();
    m_peintre.resetTransform();
    m_peintre.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath chemin;
    chemin.addPolygon(zone);
    switch (rop3) {
    case 0x00:
        m_peintre.fillPath(chemin, Qt::black);
        break;
    case 0xFF:
        m_peintre.fillPath(chemin, Qt::white);
        break;
    case 0x55:
        m_peintre.setCompositionMode(QPainter::RasterOp_NotDestination);
        m_peintre.fillPath(chemin, Qt::black);
        break;
    case 0x5A:
        m_peintre.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_peintre.fillPath(chemin, m_dc.brosse.couleur);
        break;
    case 0xAA:
        break;
    default:
        m_peintre.setTransform(m_transfo);
        remplir(m_transfo.inverted().map(chemin), m_dc.brosse);
    }
    m_peintre.restore();
    ++m_dessins;
}

void JoueurWmf::blit(const QRectF& dest, const QImage& source, QRectF srcRect, quint32 rop)
{
    if (source.isNull()) {
        blitMotif(dest, rop);
        return;
    }
    srcRect = srcRect.normalized().intersected(QRectF(source.rect()));
    if (srcRect.isEmpty())
        return;
    const quint8 rop3 = quint8(rop >> 16);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    for (const ModeRop& m : ModesSource)
        if (m.rop3 == rop3)
            mode = m.mode;
    // A destination whose device extent runs against the source's mirrors it.
    const QPointF a = m_transfo.map(dest.topLeft()), b = m_transfo.map(dest.bottomRight());
    const bool miroirH = b.x() < a.x(), miroirV = b.y() < a.y();
    const QRectF cible = QRectF(a, b).normalized();
    if (!payer(aireVisible(cible)))
        return;
    QImage image = source;
    if (miroirH || miroirV) {
        image = source.copy(srcRect.toAlignedRect()).mirrored(miroirH, miroirV);
        srcRect = QRectF(image.rect());
    }
    m_peintre.save();
    m_peintre.resetTransform();
    m_peintre.setCompositionMode(mode);
    const bool agrandie = cible.width() > srcRect.width() && m_dc.modeEtirement != 4;
    m_peintre.setRenderHint(QPainter::SmoothPixmapTransform, !agrandie);
    m_peintre.drawImage(cible, image, srcRect);
    m_peintre.restore();
    ++m_dessins;
}

QImage JoueurWmf::lireBitmap16(Octets& p, qint64 pixelsMax) const
{
    // Device-dependent bitmaps of Windows 3: only the monochrome and 24-bit
    // kinds ever appear in metafiles; mono bits take the text and back colours.
    p.i16();
    const int w = p.i16(), h = p.i16(), pas = p.i16();
    p.u8();
    const int bits = p.u8();
    if (p.reste() >= 22 && (p.reste() - 22) >= qint64(pas) * h && h > 0)
        p.sauter(22); // CreatePatternBrush leaves room for a pointer and padding
    if (!p.ok() || w <= 0 || h <= 0 || pas <= 0 || (bits != 1 && bits != 24) || qint64(pas) * 8 < qint64(w) * bits
        || qint64(pas) * h > p.reste() || qint64(w) * h > pixelsMax)
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const uchar* s = p.ici() + qint64(pas) * y;
        QRgb* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            d[x] = bits == 1 ? ((s[x >> 3] >> (7 - (x & 7))) & 1 ? m_dc.couleurFond.rgb() : m_dc.couleurTexte.rgb())
                             : qRgb(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
    }
    return img;
}

bool JoueurWmf::jouerImage(quint16 fonction, Octets& p)
{
    const quint32 rop = p.u32();
    const qint64 reste = limite::PixelsBitmapFichier - m_pixelsImages;
    auto dib = [&](int usage) {
        const QSize t = tailleDib(p.ici(), p.reste());
        const qint64 pixels = qint64(t.width()) * t.height();
        m_pixelsImages += pixels;
        // Decoding a bitmap is work too, paid before it is done.
        if (reste <= 0 || pixels > limite::PixelsBitmap || !payer(pixels))
            return QImage();
        return lireDib(p.ici(), p.reste(), usage, m_palette, limite::PixelsBitmap, m_budget);
    };
    switch (fonction) {
    case Fn::StretchDIBits: {
        const int usage = p.u16();
        const qint16 sh = p.i16(), sw = p.i16(), sy = p.i16(), sx = p.i16();
        const QRectF dest = lireDest(p);
        const QImage img = dib(usage);
        // The source rectangle counts rows from the bottom of the bitmap.
        if (!img.isNull() && p.ok())
            blit(dest, img, QRectF(sx, img.height() - sy - sh, sw, sh), rop);
        return true;
    }
    case Fn::SetDIBitsToDevice: {
        const int usage = rop & 0xFFFF;
        p.aller(2);
        p.u16(); // scan count
        p.u16(); // start scan
        const qint16 sy = p.i16(), sx = p.i16();
        const QRectF dest = lireDest(p);
        const QImage img = dib(usage);
        if (!img.isNull() && p.ok())
            blit(dest, img, QRectF(sx, img.height() - sy - dest.height(), dest.width(), dest.height()), 0x00CC0020);
        return true;
    }
    case Fn::DIBStretchBlt:
    case Fn::StretchBlt:
    case Fn::DIBBitBlt:
    case Fn::BitBlt: {
        const bool etire = fonction == Fn::DIBStretchBlt || fonction == Fn::StretchBlt;
        const bool sansImage = p.taille() == (etire ? 22 : 18);
        qint16 sh = 0, sw = 0;
        if (etire)
            sh = p.i16(), sw = p.i16();
        const qint16 sy = p.i16(), sx = p.i16();
        if (sansImage)
            p.i16();
        const QRectF dest = lireDest(p);
        if (!etire)
            sw = qint16(dest.width()), sh = qint16(dest.height());
        if (!p.ok())
            return true;
        QImage img;
        if (!sansImage)
            img = fonction == Fn::DIBStretchBlt || fonction == Fn::DIBBitBlt ? dib(DibRgb) : lireBitmap16(p);
        if (sansImage || !img.isNull())
            blit(dest, img, QRectF(sx, sy, sw, sh), rop);
        return true;
    }
    case Fn::PatBlt: {
        const QRectF dest = lireDest(p);
        if (p.ok())
            blitMotif(dest, rop);
        return true;
    }
    default:
        return false;
    }
}

} // namespace wmf
