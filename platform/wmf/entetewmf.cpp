#include "platform/wmf/entetewmf.h"

#include "platform/wmf/lecteurwmf.h"
#include "platform/wmf/octets.h"
#include "platform/wmf/enregistrements.h"

#include <QByteArray>
#include <QtMath>
#include <algorithm>

namespace wmf {

namespace {

const QString PasUnWmf = QStringLiteral("Ce fichier n'est pas un métafichier Windows.");
const QString Tronque = QStringLiteral("Fichier WMF tronqué");

// A standard header that a Windows program could have written.
bool entetePlausible(Octets o)
{
    const quint16 type = o.u16();
    const quint16 tailleEntete = o.u16();
    const quint16 version = o.u16();
    return o.ok() && (type == 1 || type == 2) && tailleEntete == 9 && (version == 0x0100 || version == 0x0300);
}

// What a first walk over the records learns about a file without a placeable box.
struct Survol {
    bool fenetreOrg = false, fenetreExt = false;
    QPointF org, ext;
    qreal x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool aBornes = false;
    int hauteurPolice = 12;
};

void etendre(Survol& s, qreal x, qreal y)
{
    if (!s.aBornes) {
        s.x0 = s.x1 = x;
        s.y0 = s.y1 = y;
        s.aBornes = true;
        return;
    }
    s.x0 = qMin(s.x0, x);
    s.x1 = qMax(s.x1, x);
    s.y0 = qMin(s.y0, y);
    s.y1 = qMax(s.y1, y);
}

void noterPoints(Survol& s, quint16 fonction, Octets p)
{
    switch (fonction) {
    case Fn::LineTo:
    case Fn::MoveTo: {
        const qint16 y = p.i16(), x = p.i16();
        etendre(s, x, y);
        break;
    }
    case Fn::Rectangle:
    case Fn::Ellipse: {
        const qint16 b = p.i16(), r = p.i16(), t = p.i16(), l = p.i16();
        etendre(s, l, t);
        etendre(s, r, b);
        break;
    }
    case Fn::Polygon:
    case Fn::Polyline: {
        const int n = p.i16();
        for (int i = 0; i < n && p.reste() >= 4; ++i) {
            const qint16 x = p.i16(), y = p.i16();
            etendre(s, x, y);
        }
        break;
    }
    case Fn::CreateFontIndirect:
        s.hauteurPolice = qAbs(int(p.i16()));
        break;
    case Fn::TextOut: {
        const int n = p.i16();
        p.sauter((qMax(0, n) + 1) & ~1);
        const qint16 y = p.i16(), x = p.i16();
        if (p.ok()) {
            // A rough box: half an em per character, one em high.
            etendre(s, x, y);
            etendre(s, x + n * s.hauteurPolice / 2.0, y + s.hauteurPolice);
        }
        break;
    }
    default:
        break;
    }
}

Survol survoler(const QByteArray& donnees, qsizetype debut)
{
    Survol s;
    Octets o(reinterpret_cast<const uchar*>(donnees.constData()), donnees.size());
    o.aller(debut);
    while (o.ok() && o.reste() >= 6) {
        const quint32 mots = o.u32();
        const quint16 fonction = o.u16();
        if (mots < 3 || fonction == Fn::Eof || qint64(mots) * 2 - 6 > o.reste())
            break;
        Octets p(o.ici(), qsizetype(mots) * 2 - 6);
        if (fonction == Fn::SetWindowOrg && !s.fenetreOrg) {
            const qint16 y = p.i16(), x = p.i16();
            s.org = QPointF(x, y);
            s.fenetreOrg = p.ok();
        } else if (fonction == Fn::SetWindowExt && !s.fenetreExt) {
            const qint16 y = p.i16(), x = p.i16();
            s.ext = QPointF(x, y);
            s.fenetreExt = p.ok() && x != 0 && y != 0;
        } else {
            noterPoints(s, fonction, p);
        }
        o.sauter(p.taille());
    }
    return s;
}

// Without a placeable box the logical unit is unknown. Small extents read best
// as pixels; large ones come from programs that worked in twips.
QSizeF taillePourEtendue(QPointF ext)
{
    QSizeF t(qAbs(ext.x()), qAbs(ext.y()));
    if (qMax(t.width(), t.height()) > 2048)
        t /= 15.0;
    return QSizeF(qMax<qreal>(1, t.width()), qMax<qreal>(1, t.height()));
}

void cadreStandard(const QByteArray& donnees, Entete* e)
{
    const Survol s = survoler(donnees, e->debutEnregistrements);
    if (s.fenetreExt) {
        e->origineCadre = s.fenetreOrg ? s.org : QPointF();
        e->etendueCadre = s.ext;
    } else {
        // Nothing says where the picture lies: frame what the records draw,
        // from the origin when they all lie beyond it, as on a page.
        QRectF b = s.aBornes ? QRectF(QPointF(qMin<qreal>(0, s.x0), qMin<qreal>(0, s.y0)), QPointF(s.x1, s.y1))
                             : QRectF(0, 0, 1000, 1000);
        b = b.marginsAdded(QMarginsF(0, 0, b.width() * 0.02 + 4, b.height() * 0.02 + 4));
        e->origineCadre = b.topLeft();
        e->etendueCadre = QPointF(b.width(), b.height());
    }
    e->tailleNaturellePx = taillePourEtendue(e->etendueCadre);
}

bool lirePlaceable(Octets& o, Entete* e)
{
    o.u32();
    o.u16(); // metafile handle, always zero
    const qint16 l = o.i16(), t = o.i16(), r = o.i16(), b = o.i16();
    const quint16 upi = o.u16();
    o.u32(); // reserved
    o.u16(); // checksum: often wrong in files from the wild, so not enforced
    e->placeable = true;
    e->boite = QRectF(QPointF(l, t), QPointF(r, b));
    e->unitesParPouce = upi ? upi : 1440;
    return o.ok();
}

} // namespace

bool lireEntete(const QByteArray& donnees, Entete* e, QString* erreur)
{
    *e = Entete();
    Octets o(reinterpret_cast<const uchar*>(donnees.constData()), donnees.size());
    if (!estWmf(donnees)) {
        *erreur = PasUnWmf;
        return false;
    }
    if (Octets(o).u32() == ClePlaceable && !lirePlaceable(o, e)) {
        *erreur = Tronque;
        return false;
    }
    const qsizetype debutStandard = o.position();
    if (!entetePlausible(o) || o.reste() < 18) {
        *erreur = o.reste() < 18 ? Tronque : PasUnWmf;
        return false;
    }
    o.sauter(10);
    e->nbObjets = o.u16();
    e->debutEnregistrements = debutStandard + 18;
    if (e->placeable && e->boite.width() != 0 && e->boite.height() != 0) {
        e->origineCadre = e->boite.topLeft();
        e->etendueCadre = QPointF(e->boite.width(), e->boite.height());
        const qreal k = 96.0 / e->unitesParPouce;
        e->tailleNaturellePx =
            QSizeF(qMax<qreal>(1, qAbs(e->boite.width()) * k), qMax<qreal>(1, qAbs(e->boite.height()) * k));
    } else {
        cadreStandard(donnees, e);
    }
    return true;
}

bool estWmf(const QByteArray& debut)
{
    Octets o(reinterpret_cast<const uchar*>(debut.constData()), debut.size());
    if (o.u32() == ClePlaceable)
        return true;
    return entetePlausible(Octets(reinterpret_cast<const uchar*>(debut.constData()), debut.size()));
}

} // namespace wmf
