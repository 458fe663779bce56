// TextOut and ExtTextOut.
#include "platform/wmf/enregistrements.h"
#include "platform/wmf/joueurwmf.h"
#include "platform/wmf/texteencodage.h"

#include <QFontMetricsF>
#include <QtMath>

namespace wmf {

namespace {

constexpr int TaRight = 2, TaCenter = 6, TaBottom = 8, TaBaseline = 24, TaUpdateCp = 1;
constexpr int EtoOpaque = 0x0002, EtoClipped = 0x0004;
constexpr qreal TaillePoliceMax = 8192;
constexpr qreal LargeurGlypheMax = 512; // device pixels

// Names some writers give that fontconfig knows under a neighbour's name.
QString famille(const QString& nom)
{
    if (nom.isEmpty() || nom.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Arial");
    if (nom.startsWith(QLatin1String("Helv"), Qt::CaseInsensitive))
        return QStringLiteral("Arial");
    // Symbol text is turned into Unicode Greek and signs; the Symbol stand-in
    // only answers to its own codes, a Unicode serif font carries them.
    if (nom.compare(QLatin1String("Tms Rmn"), Qt::CaseInsensitive) == 0
        || nom.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Times New Roman");
    return nom;
}

} // namespace

static QFont policeQt(const Police& p, qreal echelleX, qreal echelleY)
{
    QFont f(famille(p.nom));
    f.setWeight(QFont::Weight(qBound(100, p.graisse ? p.graisse : 400, 900)));
    f.setItalic(p.italique);
    f.setUnderline(p.souligne);
    f.setStrikeOut(p.barre);
    f.setStyleStrategy(QFont::PreferAntialias);
    qreal px = p.hauteur == 0 ? 12.0 : qAbs(p.hauteur * echelleY);
    if (p.hauteur > 0) {
        // A positive height is the cell, internal leading included.
        f.setPixelSize(256);
        const QFontMetricsF fm(f);
        if (fm.height() > 0)
            px *= 256 / fm.height();
    }
    const int taille = qMax(1, qRound(qMin(px, TaillePoliceMax)));
    f.setPixelSize(taille);
    if (p.largeur != 0) {
        const QFontMetricsF fm(f);
        const qreal voulue = qAbs(p.largeur * echelleX);
        // FreeType fails on glyphs stretched far past their height, and Qt 6.4 then
        // reads a null bitmap: keep a glyph within a few times as wide as it is tall.
        const int etirementMax = qMax(100, qMin(1000, int(100 * LargeurGlypheMax / taille)));
        if (fm.averageCharWidth() > 0)
            f.setStretch(qBound(1, qRound(100 * voulue / fm.averageCharWidth()), etirementMax));
    }
    return f;
}

void JoueurWmf::texte(QPointF pos, const QByteArray& octets, const QVector<int>& dx, int options, const QRectF& rect)
{
    const qreal ex = qAbs(m_transfo.m11()), ey = qAbs(m_transfo.m22());
    const QFont f = policeQt(m_dc.police, ex, ey);
    const QFontMetricsF fm(f);
    const TexteDecode t = decoderTexte(octets, m_dc.police.jeu, m_dc.police.nom);
    // Advance of each character in device pixels: the writer's own spacing when
    // given, so that text keeps its place whatever font stands in.
    QVector<qreal> avances(t.texte.size());
    int octet = 0;
    for (int i = 0; i < t.texte.size(); ++i) {
        qreal a = 0;
        for (int k = 0; k < t.octetsParCar[i]; ++k, ++octet)
            a += octet < dx.size() ? dx[octet] * ex : 0;
        if (dx.isEmpty())
            a = fm.horizontalAdvance(t.texte[i]) + m_dc.espacementCar * ex;
        avances[i] = a;
    }
    qreal largeur = 0;
    for (const qreal a : avances)
        largeur += a;

    const bool majPosition = m_dc.alignTexte & TaUpdateCp;
    if (majPosition)
        pos = m_dc.position;
    const QPointF ancre = m_transfo.map(pos);
    const int h = m_dc.alignTexte & TaCenter, v = m_dc.alignTexte & TaBaseline;
    const qreal x0 = h == TaCenter ? -largeur / 2 : h == TaRight ? -largeur : 0;
    const qreal y0 = v == TaBaseline ? 0 : v == TaBottom ? -fm.descent() : fm.ascent();
    // Each glyph touches about a square of the font's height; an opaque box its area.
    const qreal cote = qMin<qreal>(fm.height(), qMax(m_cible->width(), m_cible->height()));
    qint64 cout = qint64(t.texte.size()) * qint64(cote * cote + 1);
    if (!rect.isNull() && (options & EtoOpaque))
        cout += aireVisible(m_transfo.mapRect(rect));
    if (!payer(cout))
        return;

    m_peintre.save();
    m_peintre.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_peintre.setRenderHint(QPainter::Antialiasing);
    if (!rect.isNull() && (options & EtoOpaque))
        m_peintre.fillRect(rect, m_dc.couleurFond);
    if (!rect.isNull() && (options & EtoClipped))
        m_peintre.setClipRect(rect, Qt::IntersectClip);
    m_peintre.resetTransform();
    m_peintre.translate(ancre);
    m_peintre.rotate(-m_dc.police.escapement / 10.0);
    if (m_dc.fondOpaque && !(options & EtoOpaque))
        m_peintre.fillRect(QRectF(x0, y0 - fm.ascent(), largeur, fm.height()), m_dc.couleurFond);
    m_peintre.setFont(f);
    m_peintre.setPen(m_dc.couleurTexte);
    qreal x = x0;
    for (int i = 0; i < t.texte.size(); ++i) {
        // Surrogate pairs are drawn whole, from their first half.
        if (t.texte[i].isLowSurrogate())
            continue;
        const int n = t.texte[i].isHighSurrogate() && i + 1 < t.texte.size() ? 2 : 1;
        m_peintre.drawText(QPointF(x, y0), t.texte.mid(i, n));
        x += avances[i];
    }
    m_peintre.restore();
    ++m_dessins;
    if (majPosition) {
        const qreal dxLogique = (h == TaRight ? -largeur : h == TaCenter ? 0 : largeur) / qMax(ex, 1e-9);
        m_dc.position.rx() += m_transfo.m11() < 0 ? -dxLogique : dxLogique;
    }
}

bool JoueurWmf::jouerTexte(quint16 fonction, Octets& p)
{
    if (fonction == Fn::TextOut) {
        const int n = p.i16();
        if (n <= 0 || n > p.reste())
            return true;
        const QByteArray octets(reinterpret_cast<const char*>(p.ici()), n);
        p.sauter((n + 1) & ~1);
        const qint16 y = p.i16(), x = p.i16();
        if (p.ok())
            texte(QPointF(x, y), octets, {}, 0, QRectF());
        return true;
    }
    if (fonction != Fn::ExtTextOut)
        return false;
    const qint16 y = p.i16(), x = p.i16();
    const int n = p.i16();
    const int options = p.u16();
    if (!p.ok() || n < 0)
        return true;
    const qint64 texteOctets = (n + 1) & ~1;
    // Some writers store the rectangle without saying so: the size tells.
    const qint64 reste = p.reste();
    const bool sansRectPossible = reste == texteOctets || reste == texteOctets + 2 * n;
    const bool avecRect = (options & (EtoOpaque | EtoClipped))
                          || (!sansRectPossible && (reste == 8 + texteOctets || reste == 8 + texteOctets + 2 * n));
    QRectF rect;
    if (avecRect) {
        const qint16 l = p.i16(), t = p.i16(), r = p.i16(), b = p.i16();
        rect = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
    }
    if (!p.ok() || n > p.reste())
        return true;
    const QByteArray octets(reinterpret_cast<const char*>(p.ici()), n);
    p.sauter(qMin<qint64>(texteOctets, p.reste()));
    QVector<int> dx;
    if (p.reste() >= 2 * qint64(n)) {
        dx.resize(n);
        for (int& d : dx)
            d = p.i16();
    }
    if (n > 0)
        texte(QPointF(x, y), octets, dx, options, rect);
    else if (options & EtoOpaque)
        m_peintre.fillRect(rect, m_dc.couleurFond);
    return true;
}

} // namespace wmf
