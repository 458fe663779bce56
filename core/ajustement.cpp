#include "core/ajustement.h"

#include <algorithm>

namespace ajustement {
namespace {

bool vide(QSizeF s)
{
    return !(s.width() > 0) || !(s.height() > 0);
}

// Reduced proportionally only when larger than `limite` in either direction.
QSizeF reduire(QSizeF taille, QSizeF limite)
{
    if (taille.width() > limite.width() || taille.height() > limite.height()) {
        const double ratio = std::max(taille.height() / limite.height(), taille.width() / limite.width());
        return taille / ratio;
    }
    return taille;
}

QRectF centrer(QSizeF taille, QRectF zone)
{
    return QRectF(zone.left() + (zone.width() - taille.width()) / 2, zone.top() + (zone.height() - taille.height()) / 2,
                  taille.width(), taille.height());
}

} // namespace

QRectF ajusterPleinEcran(QSizeF naturelle, QSizeF ecran, int mode)
{
    const QRectF zone(QPointF(0, 0), ecran);
    if (vide(ecran) || vide(naturelle))
        return QRectF(zone.center(), QSizeF(0, 0));
    QSizeF taille = reduire(naturelle, ecran);
    switch (mode) {
    case Proportions: {
        // Enlarges as well: the picture touches two opposite edges.
        const double ratio = std::max(taille.height() / ecran.height(), taille.width() / ecran.width());
        return centrer(taille / ratio, zone);
    }
    case ToutEcran:
        return zone;
    default:
        return centrer(taille, zone);
    }
}

QRectF ajusterDansBoite(QSizeF naturelle, QRectF boite)
{
    if (vide(boite.size()) || vide(naturelle))
        return QRectF(boite.center(), QSizeF(0, 0));
    return centrer(reduire(naturelle, boite.size()), boite);
}

QRectF ajusterMiniature(QSizeF naturelle, QRectF cellule)
{
    QSizeF taille = naturelle;
    if (naturelle.width() > cellule.width() || naturelle.height() > cellule.height()) {
        const qreal rapport = qMax(naturelle.width() / cellule.width(), naturelle.height() / cellule.height());
        taille = naturelle / rapport;
    }
    return QRectF(cellule.topLeft(), taille);
}

} // namespace ajustement
