// Lines, shapes and the pens and brushes they are drawn with.
#include "platform/wmf/enregistrements.h"
#include "platform/wmf/joueurwmf.h"

#include <QtMath>

namespace wmf {

namespace {

// Cells the rasterizer's pool holds for one band, at the least.
constexpr qreal CellulesParBande = 16384;

// Filled rectangles take a clipped path through the rasterizer.
bool estRectangle(const QPainterPath& chemin)
{
    if (chemin.elementCount() != 5)
        return false;
    for (int i = 1; i < 5; ++i) {
        const QPainterPath::Element a = chemin.elementAt(i - 1), b = chemin.elementAt(i);
        if (!b.isLineTo() || (a.x != b.x && a.y != b.y))
            return false;
    }
    return true;
}

} // namespace

QPen JoueurWmf::stylo() const
{
    const Plume& pl = m_dc.plume;
    const int style = pl.style & 0x0F;
    if (style == PsNull)
        return Qt::NoPen;
    QPen pen(pl.couleur);
    const qreal echelle = qMax(qAbs(m_transfo.m11()), qAbs(m_transfo.m22()));
    if (pl.largeur == 0 || pl.largeur * echelle < 1.0) {
        pen.setWidth(0);
        pen.setCosmetic(true);
    } else {
        pen.setWidthF(pl.largeur);
    }
    // Dashes only apply to thin pens; wider ones draw solid, as in GDI.
    if (pl.largeur <= 1) {
        static const Qt::PenStyle tirets[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                              Qt::DashDotDotLine};
        if (style < 5)
            pen.setStyle(tirets[style]);
    }
    const int fin = pl.style & 0x0F00;
    pen.setCapStyle(fin == 0x0100 ? Qt::SquareCap : fin == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
    const int joint = pl.style & 0xF000;
    pen.setJoinStyle(joint == 0x1000 ? Qt::BevelJoin : joint == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    return pen;
}

QBrush JoueurWmf::pinceau(const Brosse& b) const
{
    switch (b.style) {
    case BsNull:
        return Qt::NoBrush;
    case BsHatched: {
        static const Qt::BrushStyle hachures[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                  Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(b.couleur, b.hachure >= 0 && b.hachure < 6 ? hachures[b.hachure] : Qt::SolidPattern);
    }
    case BsPattern:
    case BsDibPattern: {
        if (b.motif.isNull())
            return Qt::NoBrush;
        // Patterns repeat in device pixels, whatever the mapping.
        QBrush brosse(b.motif);
        brosse.setTransform(m_transfo.inverted());
        return brosse;
    }
    default:
        return QBrush(b.couleur);
    }
}

void JoueurWmf::preparerRop()
{
    static const struct {
        int rop;
        QPainter::CompositionMode mode;
    } modes[] = {
        {6, QPainter::RasterOp_NotDestination},       {7, QPainter::RasterOp_SourceXorDestination},
        {9, QPainter::RasterOp_SourceAndDestination}, {10, QPainter::RasterOp_NotSourceXorDestination},
        {15, QPainter::RasterOp_SourceOrDestination},
    };
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    for (const auto& m : modes)
        if (m.rop == m_dc.rop2)
            mode = m.mode;
    m_peintre.setCompositionMode(mode);
    // Raster operations on blended edges leave speckles; GDI never blends.
    m_peintre.setRenderHint(QPainter::Antialiasing, mode == QPainter::CompositionMode_SourceOver);
}

void JoueurWmf::remplir(const QPainterPath& chemin, const Brosse& brosse)
{
    if (brosse.style == BsHatched && m_dc.fondOpaque)
        m_peintre.fillPath(chemin, m_dc.couleurFond);
    m_peintre.fillPath(chemin, pinceau(brosse));
}

void JoueurWmf::dessiner(const QPainterPath& chemin, bool avecFond)
{
    if (m_dc.rop2 == 11) // R2_NOP
        return;
    Brosse brosse = m_dc.brosse;
    QPen pen = stylo();
    const bool fond = avecFond && brosse.style != BsNull;
    // Dashes along a path that runs far outside the picture cost their whole length:
    // past the budget the line is drawn solid rather than not at all.
    if (m_travail + coutTrace(chemin, pen, fond) > m_budget.travailWmf && pen.style() != Qt::SolidLine
        && pen.style() != Qt::NoPen)
        pen.setStyle(Qt::SolidLine);
    if (m_travail + coutTrace(chemin, pen, fond) > m_budget.travailWmf && pen.style() != Qt::NoPen) {
        pen.setWidth(0);
        pen.setCosmetic(true);
    }
    if (!payer(coutTrace(chemin, pen, fond)))
        return;
    m_points += chemin.elementCount();
    preparerRop();
    // R2_BLACK, R2_WHITE and R2_NOTCOPYPEN replace the colours, not the shapes.
    auto recolorer = [&](auto changer) {
        brosse.couleur = changer(brosse.couleur);
        if (pen.style() != Qt::NoPen)
            pen.setColor(changer(pen.color()));
    };
    if (m_dc.rop2 == 1)
        recolorer([](QColor) { return QColor(Qt::black); });
    else if (m_dc.rop2 == 16)
        recolorer([](QColor) { return QColor(Qt::white); });
    else if (m_dc.rop2 == 4)
        recolorer([](QColor c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); });
    if (avecFond && brosse.style != BsNull)
        remplir(chemin, brosse);
    if (pen.style() != Qt::NoPen)
        m_peintre.strokePath(chemin, pen);
    ++m_dessins;
}

qint64 JoueurWmf::coutTrace(const QPainterPath& chemin, const QPen& pen, bool avecFond) const
{
    // Qt walks every element, fills the visible part of the box, and lays dashes
    // along the whole length, visible or not.
    qint64 cout = chemin.elementCount();
    const qreal largeur = pen.style() == Qt::NoPen ? 0
                          : pen.isCosmetic()       ? 1
                                                   : pen.widthF() * qMax(qAbs(m_transfo.m11()), qAbs(m_transfo.m22()));
    const QRectF boite = m_transfo.mapRect(chemin.controlPointRect()).adjusted(-largeur, -largeur, largeur, largeur);
    if (avecFond || largeur > 0)
        cout += aireVisible(boite);
    // The rasterizer meets every edge on every visible scanline; a wide pen's outline
    // has about four edges a segment. A one-pixel pen is drawn as clipped lines instead.
    const QRectF visible = boite.intersected(QRectF(m_cible->rect()));
    const qint64 aretes =
        qint64(chemin.elementCount()) * ((avecFond ? 1 : 0) + (largeur > 1 || !pen.isCosmetic() ? 4 : 0));
    if (!visible.isEmpty())
        cout += aretes * qint64(visible.height()) * 8;
    // A shape other than a rectangle, filled or drawn with a wide pen (whose outline
    // is filled), is rasterized edge by edge through every cell the edge crosses, on
    // the picture or off it: a polygon that swings millions of pixels across the
    // picture costs that many steps an edge. The rasterizer works in bands of as many
    // cells as its pool holds, and walks every edge that crosses the picture again for
    // each band.
    const int contours = (avecFond ? 1 : 0) + (pen.style() != Qt::NoPen && !pen.isCosmetic() ? 2 : 0);
    if (contours > 0 && !estRectangle(chemin)) {
        const Pas pas = pasParcourus(chemin, largeur);
        const qreal bandes = qMax<qreal>(1, pas.visibles * contours / CellulesParBande);
        cout += qint64(qMin<qreal>(pas.total * bandes, 1e15)) * contours * 8;
    }
    if (pen.style() != Qt::NoPen && pen.style() != Qt::SolidLine) {
        qreal longueur = 0;
        for (int i = 1; i < chemin.elementCount(); ++i) {
            const QPointF a = m_transfo.map(QPointF(chemin.elementAt(i - 1)));
            const QPointF b = m_transfo.map(QPointF(chemin.elementAt(i)));
            longueur += qAbs(b.x() - a.x()) + qAbs(b.y() - a.y());
        }
        cout += qint64(qMin<qreal>(longueur, 1e15));
    }
    return cout;
}

JoueurWmf::Pas JoueurWmf::pasParcourus(const QPainterPath& chemin, qreal marge) const
{
    // Edges wholly above or below the picture are passed over; the others are walked
    // whole, row by row and cell by cell, within the rasterizer's fixed-point range.
    constexpr qreal Limite = 1 << 23;
    const qreal hauteur = m_cible->height();
    auto point = [&](int i) {
        const QPointF p = m_transfo.map(QPointF(chemin.elementAt(i)));
        return QPointF(qBound(-Limite, p.x(), Limite), qBound(-Limite, p.y(), Limite));
    };
    Pas pas;
    QPointF precedent = chemin.elementCount() > 0 ? point(0) : QPointF();
    for (int i = 1; i < chemin.elementCount(); ++i) {
        const QPointF courant = point(i);
        if (qMax(courant.y(), precedent.y()) >= -marge && qMin(courant.y(), precedent.y()) <= hauteur + marge) {
            const qreal dx = qAbs(courant.x() - precedent.x()), dy = qAbs(courant.y() - precedent.y());
            pas.total += dx + dy;
            pas.visibles += qMin(dx, qreal(m_cible->width())) + qMin(dy, hauteur);
        }
        precedent = courant;
    }
    return pas;
}

QPainterPath JoueurWmf::arc(QRectF boite, QPointF debut, QPointF fin, int genre) const
{
    // Angles are taken in device space, where GDI draws counter-clockwise.
    const QRectF r = m_transfo.mapRect(boite);
    const QPointF c = r.center();
    const QPointF d = m_transfo.map(debut), f = m_transfo.map(fin);
    auto angle = [&](QPointF p) {
        return qRadiansToDegrees(
            qAtan2(-(p.y() - c.y()) / qMax<qreal>(r.height(), 1e-9), (p.x() - c.x()) / qMax<qreal>(r.width(), 1e-9)));
    };
    const qreal a0 = angle(d);
    qreal balayage = angle(f) - a0;
    if (balayage <= 0)
        balayage += 360;
    QPainterPath chemin;
    if (genre == Fn::Pie) {
        chemin.moveTo(c);
        chemin.arcTo(r, a0, balayage);
        chemin.closeSubpath();
    } else {
        chemin.arcMoveTo(r, a0);
        chemin.arcTo(r, a0, balayage);
        if (genre == Fn::Chord)
            chemin.closeSubpath();
    }
    return m_transfo.inverted().map(chemin);
}

bool JoueurWmf::polyPolygone(Octets& p)
{
    const int nPoly = p.u16();
    if (!p.ok() || qint64(nPoly) * 2 > p.reste())
        return true;
    QVector<int> comptes(nPoly);
    qint64 total = 0;
    for (int& c : comptes) {
        c = p.u16();
        total += c;
    }
    if (total * 4 > p.reste())
        return true; // counts that promise more points than the record holds
    QPainterPath chemin;
    chemin.setFillRule(m_dc.remplissageEnroulement ? Qt::WindingFill : Qt::OddEvenFill);
    for (const int c : comptes) {
        QPolygonF poly(c);
        for (QPointF& pt : poly) {
            const qint16 x = p.i16(), y = p.i16();
            pt = QPointF(x, y);
        }
        if (!poly.isEmpty()) {
            chemin.addPolygon(poly);
            chemin.closeSubpath();
        }
    }
    dessiner(chemin, true);
    return true;
}

namespace {

QRectF lireRect(Octets& p)
{
    const qint16 b = p.i16(), r = p.i16(), t = p.i16(), l = p.i16();
    return QRectF(QPointF(l, t), QPointF(r, b)).normalized();
}

QPolygonF lirePoints(Octets& p)
{
    const int n = p.i16();
    if (n <= 0 || qint64(n) * 4 > p.reste())
        return {};
    QPolygonF poly(n);
    for (QPointF& pt : poly) {
        const qint16 x = p.i16(), y = p.i16();
        pt = QPointF(x, y);
    }
    return poly;
}

} // namespace

bool JoueurWmf::jouerForme(quint16 fonction, Octets& p)
{
    QPainterPath chemin;
    chemin.setFillRule(m_dc.remplissageEnroulement ? Qt::WindingFill : Qt::OddEvenFill);
    bool avecFond = true;
    switch (fonction) {
    case Fn::LineTo: {
        const qint16 y = p.i16(), x = p.i16();
        if (!p.ok())
            return true;
        chemin.moveTo(m_dc.position);
        m_dc.position = QPointF(x, y);
        chemin.lineTo(m_dc.position);
        avecFond = false;
        break;
    }
    case Fn::Polyline:
        avecFond = false;
        [[fallthrough]];
    case Fn::Polygon: {
        const QPolygonF poly = lirePoints(p);
        if (poly.isEmpty())
            return true;
        chemin.addPolygon(poly);
        if (avecFond)
            chemin.closeSubpath();
        break;
    }
    case Fn::PolyPolygon:
        return polyPolygone(p);
    case Fn::Rectangle:
    case Fn::Ellipse: {
        const QRectF r = lireRect(p);
        if (!p.ok())
            return true;
        if (fonction == Fn::Rectangle)
            chemin.addRect(r);
        else
            chemin.addEllipse(r);
        break;
    }
    case Fn::RoundRect: {
        const qint16 h = p.i16(), w = p.i16();
        const QRectF r = lireRect(p);
        if (!p.ok())
            return true;
        chemin.addRoundedRect(r, qAbs(w) / 2.0, qAbs(h) / 2.0);
        break;
    }
    case Fn::Arc:
    case Fn::Pie:
    case Fn::Chord: {
        const qint16 yf = p.i16(), xf = p.i16(), yd = p.i16(), xd = p.i16();
        const QRectF r = lireRect(p);
        if (!p.ok() || r.isEmpty())
            return true;
        chemin = arc(r, QPointF(xd, yd), QPointF(xf, yf), fonction);
        avecFond = fonction != Fn::Arc;
        break;
    }
    case Fn::SetPixel: {
        const QColor c = couleur(p.u32());
        const qint16 y = p.i16(), x = p.i16();
        if (p.ok() && payer(1))
            m_peintre.fillRect(m_transfo.inverted().mapRect(QRectF(m_transfo.map(QPointF(x, y)), QSizeF(1, 1))), c);
        return true;
    }
    default:
        return false;
    }
    dessiner(chemin, avecFond);
    return true;
}

} // namespace wmf
