#include "platform/wmf/joueurwmf.h"

#include "platform/wmf/enregistrements.h"

namespace wmf {

namespace {
const QString Tronque = QStringLiteral("Fichier WMF tronqué");
const QString TailleInvalide = QStringLiteral("Enregistrement WMF de taille invalide");
const QString TropLong = QStringLiteral("Fichier WMF trop complexe");
const QString Annule = QStringLiteral("Lecture annulée");
} // namespace

JoueurWmf::JoueurWmf(const QByteArray& donnees, const Entete& entete, QImage* cible, const dimensions::Budget& budget,
                     const std::atomic<bool>* annulation)
    : m_donnees(donnees), m_entete(entete), m_cible(cible), m_budget(budget), m_annulation(annulation)
{
    const int places = qBound(0, entete.nbObjets, int(m_libres.size() * 64));
    m_objets.resize(size_t(places));
    m_tailleObjets.assign(size_t(places), 0);
    for (int i = 0; i < places; ++i)
        marquer(i, true);
    m_dc.fenOrg = m_dc.vueOrg = entete.origineCadre;
    m_dc.fenExt = m_dc.vueExt = entete.etendueCadre;
    m_peintre.begin(cible);
    m_peintre.setRenderHint(QPainter::Antialiasing);
    m_peintre.setRenderHint(QPainter::SmoothPixmapTransform);
    majTransfo();
}

JoueurWmf::~JoueurWmf() = default;

QString JoueurWmf::jouer()
{
    Octets o(reinterpret_cast<const uchar*>(m_donnees.constData()), m_donnees.size());
    o.aller(m_entete.debutEnregistrements);
    QString erreur;
    for (qint64 n = 0;; ++n) {
        if (o.reste() == 0)
            break; // many writers leave out the closing record
        if (o.reste() < 6) {
            erreur = Tronque;
            break;
        }
        // Looked at before every record: none costs more than the budget lets one cost.
        if (m_annulation && m_annulation->load(std::memory_order_relaxed)) {
            m_annule = true;
            erreur = Annule;
            break;
        }
        if (n >= limite::Enregistrements || m_points > limite::PointsFichier || !payer(1)) {
            m_budgetAtteint = true;
            erreur = TropLong;
            break;
        }
        const quint32 mots = o.u32();
        const quint16 fonction = o.u16();
        if (fonction == Fn::Eof)
            break;
        if (mots < 3) {
            erreur = TailleInvalide;
            break;
        }
        const qint64 octetsParams = qint64(mots) * 2 - 6;
        if (octetsParams > o.reste()) {
            erreur = Tronque;
            break;
        }
        jouerEnregistrement(fonction, Octets(o.ici(), qsizetype(octetsParams)));
        o.sauter(qsizetype(octetsParams));
        if (m_budgetAtteint) {
            erreur = TropLong;
            break;
        }
    }
    m_peintre.end();
    return erreur;
}

void JoueurWmf::jouerEnregistrement(quint16 fonction, Octets p)
{
    // Each group returns false when the record is not one of its own; a record
    // that no group knows (Escape among them) is skipped.
    if (jouerEtat(fonction, p) || jouerRepere(fonction, p) || jouerObjet(fonction, p) || jouerClip(fonction, p)
        || jouerForme(fonction, p) || jouerTexte(fonction, p))
        return;
    jouerImage(fonction, p);
}

bool JoueurWmf::jouerEtat(quint16 fonction, Octets& p)
{
    switch (fonction) {
    case Fn::SaveDC:
        if (m_pile.size() < size_t(limite::PileContextes))
            m_pile.push_back(m_dc);
        return true;
    case Fn::RestoreDC:
        restaurer(p.i16());
        return true;
    case Fn::SetBkMode:
        m_dc.fondOpaque = p.u16() != 1;
        return true;
    case Fn::SetROP2:
        m_dc.rop2 = p.u16();
        return true;
    case Fn::SetPolyFillMode:
        m_dc.remplissageEnroulement = p.u16() == 2;
        return true;
    case Fn::SetStretchBltMode:
        m_dc.modeEtirement = p.u16();
        return true;
    case Fn::SetTextAlign:
        m_dc.alignTexte = p.u16();
        return true;
    case Fn::SetTextCharExtra:
        m_dc.espacementCar = p.i16();
        return true;
    case Fn::SetTextColor:
        m_dc.couleurTexte = couleur(p.u32());
        return true;
    case Fn::SetBkColor:
        m_dc.couleurFond = couleur(p.u32());
        return true;
    case Fn::MoveTo: {
        const qint16 y = p.i16(), x = p.i16();
        m_dc.position = QPointF(x, y);
        return true;
    }
    default:
        return false;
    }
}

void JoueurWmf::restaurer(int n)
{
    // Negative: that many levels back; positive: an absolute level.
    const int taille = int(m_pile.size());
    const int cible = n < 0 ? taille + n : n - 1;
    if (n == 0 || cible < 0 || cible >= taille)
        return;
    m_dc = m_pile[size_t(cible)];
    m_pile.resize(size_t(cible));
    majTransfo();
    appliquerClip();
}

QColor JoueurWmf::couleur(quint32 ref) const
{
    if ((ref >> 24) == 0x01) {
        const int i = int(ref & 0xFFFF);
        return i < m_palette.size() ? QColor(m_palette[i]) : QColor(Qt::black);
    }
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

bool JoueurWmf::jouerRepere(quint16 fonction, Octets& p)
{
    Contexte& d = m_dc;
    switch (fonction) {
    case Fn::SetMapMode:
        d.modeMap = p.u16();
        break;
    case Fn::SetWindowOrg: {
        const qint16 y = p.i16(), x = p.i16();
        d.fenOrg = QPointF(x, y);
        break;
    }
    case Fn::SetWindowExt: {
        const qint16 y = p.i16(), x = p.i16();
        if (x != 0 && y != 0)
            d.fenExt = QPointF(x, y);
        break;
    }
    case Fn::SetViewportOrg: {
        const qint16 y = p.i16(), x = p.i16();
        d.vueOrg = QPointF(x, y);
        break;
    }
    case Fn::SetViewportExt: {
        const qint16 y = p.i16(), x = p.i16();
        if (x != 0 && y != 0)
            d.vueExt = QPointF(x, y);
        break;
    }
    case Fn::OffsetWindowOrg: {
        const qint16 y = p.i16(), x = p.i16();
        d.fenOrg += QPointF(x, y);
        break;
    }
    case Fn::OffsetViewportOrg: {
        const qint16 y = p.i16(), x = p.i16();
        d.vueOrg += QPointF(x, y);
        break;
    }
    case Fn::ScaleWindowExt:
    case Fn::ScaleViewportExt: {
        const qint16 yDen = p.i16(), yNum = p.i16(), xDen = p.i16(), xNum = p.i16();
        QPointF& ext = fonction == Fn::ScaleWindowExt ? d.fenExt : d.vueExt;
        if (p.ok() && xDen && yDen && xNum && yNum) {
            const QPointF nouvelle(ext.x() * xNum / xDen, ext.y() * yNum / yDen);
            if (nouvelle.x() != 0 && nouvelle.y() != 0)
                ext = nouvelle;
        }
        break;
    }
    default:
        return false;
    }
    majTransfo();
    return true;
}

void JoueurWmf::majTransfo()
{
    // Logical → frame units through window and viewport, then the frame onto
    // the whole picture: the window a file sets fills the picture, as when
    // Windows plays a placeable file into a rectangle.
    const Contexte& d = m_dc;
    qreal sx = d.vueExt.x() / d.fenExt.x();
    qreal sy = d.vueExt.y() / d.fenExt.y();
    if (d.modeMap == 1) {
        sx = sy = 1; // MM_TEXT: one logical unit per device unit
    } else if (d.modeMap == 7) {
        const qreal s = qMin(qAbs(sx), qAbs(sy)); // MM_ISOTROPIC keeps the aspect
        sx = sx < 0 ? -s : s;
        sy = sy < 0 ? -s : s;
    }
    const QPointF& fo = m_entete.origineCadre;
    const QPointF& fe = m_entete.etendueCadre;
    const qreal kx = m_cible->width() / fe.x();
    const qreal ky = m_cible->height() / fe.y();
    m_transfo = QTransform(sx * kx, 0, 0, sy * ky, (-d.fenOrg.x() * sx + d.vueOrg.x() - fo.x()) * kx,
                           (-d.fenOrg.y() * sy + d.vueOrg.y() - fo.y()) * ky);
    m_peintre.setTransform(m_transfo);
}

void JoueurWmf::marquer(int index, bool libre)
{
    quint64& mot = m_libres[size_t(index >> 6)];
    const quint64 bit = quint64(1) << (index & 63);
    mot = libre ? (mot | bit) : (mot & ~bit);
    quint64& resume = m_resumeLibres[size_t(index >> 12)];
    const quint64 bitResume = quint64(1) << ((index >> 6) & 63);
    resume = mot ? (resume | bitResume) : (resume & ~bitResume);
}

int JoueurWmf::placeLibre() const
{
    // Windows hands out the lowest free index.
    for (size_t r = 0; r < m_resumeLibres.size(); ++r) {
        if (!m_resumeLibres[r])
            continue;
        const size_t mot = r * 64 + size_t(__builtin_ctzll(m_resumeLibres[r]));
        return int(mot * 64 + size_t(__builtin_ctzll(m_libres[mot])));
    }
    return -1;
}

void JoueurWmf::creer(std::unique_ptr<Objet> objet)
{
    // A full table drops the object, as Windows does: later selections of
    // its index then find nothing.
    const int i = placeLibre();
    if (i < 0)
        return;
    auto tailleDe = [](const Objet& o) {
        return qint64(sizeof(Objet)) + o.brosse.motif.sizeInBytes() + qint64(o.region.rectCount()) * 16
               + qint64(o.palette.size()) * 4 + qint64(o.police.nom.size()) * 2;
    };
    qint64 taille = tailleDe(*objet);
    if (taille - qint64(sizeof(Objet)) > resteObjets()) {
        // Past the budget an object keeps its slot and kind, not its weight.
        if (!objet->brosse.motif.isNull())
            objet->brosse = Brosse{BsSolid, Qt::black, 0, QImage()};
        objet->region = QRegion(objet->region.boundingRect());
        objet->palette.clear();
        taille = tailleDe(*objet);
    }
    m_objets[size_t(i)] = std::move(objet);
    m_tailleObjets[size_t(i)] = taille;
    marquer(i, false);
    ++m_vivants;
    m_octetsObjets += taille;
    m_octetsObjetsMax = qMax(m_octetsObjetsMax, m_octetsObjets);
}

void JoueurWmf::liberer(int index)
{
    if (index < 0 || size_t(index) >= m_objets.size() || !m_objets[size_t(index)])
        return;
    m_objets[size_t(index)].reset();
    m_octetsObjets -= m_tailleObjets[size_t(index)];
    m_tailleObjets[size_t(index)] = 0;
    --m_vivants;
    marquer(index, true);
}

bool JoueurWmf::payer(qint64 cout)
{
    if (m_budgetAtteint || m_travail + cout > m_budget.travailWmf) {
        m_budgetAtteint = true;
        return false;
    }
    m_travail += cout;
    return true;
}

qint64 JoueurWmf::aireVisible(const QRectF& appareil) const
{
    const QRectF r = appareil.intersected(QRectF(m_cible->rect()));
    return r.isEmpty() ? 0 : qint64(r.width() + 1) * qint64(r.height() + 1);
}

const Objet* JoueurWmf::objet(int index, Objet::Genre genre) const
{
    if (index < 0 || size_t(index) >= m_objets.size() || !m_objets[size_t(index)])
        return nullptr;
    const Objet* o = m_objets[size_t(index)].get();
    return o->genre == genre ? o : nullptr;
}

void JoueurWmf::selectionner(int index)
{
    if (index < 0 || size_t(index) >= m_objets.size() || !m_objets[size_t(index)])
        return;
    const Objet& o = *m_objets[size_t(index)];
    switch (o.genre) {
    case Objet::Plume_:
        m_dc.plume = o.plume;
        break;
    case Objet::Brosse_:
        m_dc.brosse = o.brosse;
        break;
    case Objet::Police_:
        m_dc.police = o.police;
        break;
    case Objet::Palette_:
        m_palette = o.palette;
        break;
    case Objet::Region_:
        m_dc.clip = m_transfo.map(o.region);
        m_dc.clipActif = true;
        appliquerClip();
        break;
    }
}

void JoueurWmf::appliquerClip()
{
    // Handing a region to the painter walks all its rectangles, as does every change
    // made to it: thousands of rectangles set again at each of millions of records
    // would take minutes.
    if (m_dc.clipActif && !payer(m_dc.clip.rectCount()))
        return;
    const QTransform t = m_peintre.transform();
    m_peintre.resetTransform();
    if (m_dc.clipActif)
        m_peintre.setClipRegion(m_dc.clip);
    else
        m_peintre.setClipping(false);
    m_peintre.setTransform(t);
}

bool JoueurWmf::jouerClip(quint16 fonction, Octets& p)
{
    switch (fonction) {
    case Fn::IntersectClipRect:
    case Fn::ExcludeClipRect: {
        const qint16 b = p.i16(), r = p.i16(), t = p.i16(), l = p.i16();
        if (!p.ok())
            return true;
        const QRect rect = m_transfo.mapRect(QRectF(QPointF(l, t), QPointF(r, b)).normalized()).toRect();
        const QRegion base = m_dc.clipActif ? m_dc.clip : QRegion(m_cible->rect());
        if (base.rectCount() > limite::RectanglesClip || !payer(base.rectCount()))
            return true;
        m_dc.clip = fonction == Fn::IntersectClipRect ? base.intersected(rect) : base.subtracted(rect);
        m_dc.clipActif = true;
        break;
    }
    case Fn::SelectClipRegion: {
        const Objet* o = objet(p.u16(), Objet::Region_);
        m_dc.clipActif = o != nullptr;
        if (o)
            m_dc.clip = m_transfo.map(o->region);
        break;
    }
    case Fn::FillRegion:
    case Fn::PaintRegion:
    case Fn::InvertRegion:
    case Fn::FrameRegion:
        peindreRegion(fonction, p);
        return true;
    case Fn::OffsetClipRgn: {
        const qint16 y = p.i16(), x = p.i16();
        if (m_dc.clipActif)
            m_dc.clip.translate(QPointF(m_transfo.m11() * x, m_transfo.m22() * y).toPoint());
        break;
    }
    default:
        return false;
    }
    appliquerClip();
    return true;
}

void JoueurWmf::peindreRegion(quint16 fonction, Octets& p)
{
    const Objet* region = objet(p.u16(), Objet::Region_);
    const Objet* brosse =
        fonction == Fn::FillRegion || fonction == Fn::FrameRegion ? objet(p.u16(), Objet::Brosse_) : nullptr;
    if (!region || !p.ok() || !payer(aireVisible(m_transfo.mapRect(QRectF(region->region.boundingRect())))))
        return;
    QPainterPath chemin;
    chemin.addRegion(region->region);
    const Brosse& b = brosse ? brosse->brosse : m_dc.brosse;
    m_peintre.save();
    if (fonction == Fn::InvertRegion) {
        m_peintre.setCompositionMode(QPainter::RasterOp_NotDestination);
        m_peintre.fillPath(chemin, Qt::black);
    } else if (fonction == Fn::FrameRegion) {
        const qint16 h = p.i16(), w = p.i16();
        QPen pen(pinceau(b), qMax(1, qMax(qAbs(int(w)), qAbs(int(h)))));
        m_peintre.strokePath(chemin, pen);
    } else {
        remplir(chemin, b);
    }
    m_peintre.restore();
    ++m_dessins;
}

} // namespace wmf
