// Records that fill and use the object table.
#include "platform/wmf/dibwmf.h"
#include "platform/wmf/enregistrements.h"
#include "platform/wmf/joueurwmf.h"
#include "platform/wmf/texteencodage.h"

namespace wmf {

namespace {

// Face names are written in the font's own character set (SimSun as "宋体").
QString nomPolice(Octets& p, int jeu)
{
    QByteArray nom;
    for (int i = 0; i < 32 && p.reste() > 0; ++i) {
        const char c = char(p.u8());
        if (c == 0)
            break;
        nom.append(c);
    }
    return jeu == 2 ? QString::fromLatin1(nom).trimmed() : decoderTexte(nom, jeu, QString()).texte.trimmed();
}

Police lirePolice(Octets& p)
{
    Police f;
    f.hauteur = p.i16();
    f.largeur = p.i16();
    f.escapement = p.i16();
    p.i16(); // orientation: GDI in compatible mode follows the escapement
    f.graisse = p.i16();
    f.italique = p.u8() != 0;
    f.souligne = p.u8() != 0;
    f.barre = p.u8() != 0;
    f.jeu = p.u8();
    p.sauter(4); // precisions, quality, pitch and family
    f.nom = nomPolice(p, f.jeu);
    return f;
}

} // namespace

bool JoueurWmf::jouerObjet(quint16 fonction, Octets& p)
{
    auto o = std::make_unique<Objet>();
    switch (fonction) {
    case Fn::SelectObject:
        selectionner(p.u16());
        return true;
    case Fn::SelectPalette:
        selectionner(p.u16());
        return true;
    case Fn::DeleteObject: {
        const int i = p.u16();
        if (p.ok())
            liberer(i);
        return true;
    }
    case Fn::CreatePenIndirect:
        o->genre = Objet::Plume_;
        o->plume.style = p.u16();
        o->plume.largeur = qAbs(int(p.i16()));
        p.i16();
        o->plume.couleur = couleur(p.u32());
        break;
    case Fn::CreateBrushIndirect:
        o->genre = Objet::Brosse_;
        o->brosse.style = p.u16();
        o->brosse.couleur = couleur(p.u32());
        o->brosse.hachure = p.u16();
        break;
    case Fn::CreateFontIndirect:
        o->genre = Objet::Police_;
        o->police = lirePolice(p);
        break;
    case Fn::CreatePalette: {
        o->genre = Objet::Palette_;
        p.u16(); // version
        const int n = p.u16();
        for (int i = 0; i < n && p.reste() >= 4; ++i) {
            const int r = p.u8(), g = p.u8(), b = p.u8();
            p.u8();
            o->palette.append(qRgb(r, g, b));
        }
        creer(std::move(o));
        return true;
    }
    case Fn::DIBCreatePatternBrush: {
        o->genre = Objet::Brosse_;
        p.u16(); // style: the bits are a DIB either way
        const int usage = p.u16();
        o->brosse.style = BsDibPattern;
        // Each pattern is small, but a file may keep thousands alive at once.
        o->brosse.motif = lireDib(p.ici(), p.reste(), usage, m_palette, qMin<qint64>(1 << 20, resteObjets() / 4));
        if (o->brosse.motif.isNull()) {
            o->brosse.style = BsSolid;
            o->brosse.couleur = Qt::black;
        }
        break;
    }
    case Fn::CreatePatternBrush: {
        o->genre = Objet::Brosse_;
        o->brosse.style = BsPattern;
        o->brosse.motif = lireBitmap16(p, resteObjets() / 4);
        if (o->brosse.motif.isNull()) {
            o->brosse.style = BsSolid;
            o->brosse.couleur = Qt::black;
        }
        break;
    }
    case Fn::CreateRegion:
        o->genre = Objet::Region_;
        o->region = lireRegion(p);
        break;
    case Fn::RealizePalette:
        return true;
    case Fn::SetPalEntries: {
        const int debut = p.u16(), n = p.u16();
        for (int i = 0; i < n && p.reste() >= 4 && debut + i < 4096; ++i) {
            const int r = p.u8(), g = p.u8(), b = p.u8();
            p.u8();
            if (debut + i >= m_palette.size())
                m_palette.resize(debut + i + 1);
            m_palette[debut + i] = qRgb(r, g, b);
        }
        return true;
    }
    default:
        return false;
    }
    // A creation record too short for its object still takes its slot, so
    // that the indices of later objects stay where the writer meant them.
    creer(std::move(o));
    return true;
}

QRegion JoueurWmf::lireRegion(Octets& p)
{
    p.sauter(10); // chain, type, object count, size
    const int nbLignes = p.i16();
    p.i16(); // longest scan
    const qint16 l = p.i16(), t = p.i16(), r = p.i16(), b = p.i16();
    const QRect boite = QRect(QPoint(l, t), QPoint(r, b)).normalized();
    QRegion region;
    int rects = 0;
    for (int i = 0; i < nbLignes && p.ok() && p.reste() >= 6; ++i) {
        const int n = p.u16();
        const qint16 haut = p.i16(), bas = p.i16();
        for (int k = 0; k + 1 < n && p.reste() >= 4; k += 2) {
            const qint16 gauche = p.i16(), droite = p.i16();
            // Staggered rectangles split each other into bands: one union may leave
            // about three times the rectangles it started from, while they are still
            // held. Its cost is checked before it is made, against what the table has left,
            // and its time, a walk over them all, is paid as work.
            const qint64 avant = qint64(region.rectCount()) * 16;
            if (++rects > limite::RectanglesRegion || avant * 4 + 64 > resteObjets() || !payer(region.rectCount() + 1))
                return QRegion(boite);
            region += QRect(QPoint(gauche, haut), QPoint(droite - 1, bas - 1));
            m_octetsObjetsMax = qMax(m_octetsObjetsMax, m_octetsObjets + avant + qint64(region.rectCount()) * 16);
        }
        p.u16();
    }
    return nbLignes > 0 && !region.isEmpty() ? region : QRegion(boite);
}

} // namespace wmf
