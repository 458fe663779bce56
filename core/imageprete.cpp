#include "core/imageprete.h"

#include "core/ajustement.h"
#include "core/twips.h"
#include "core/vignettesbureau.h"
#include "platform/chargeurimage.h"

#include <cmath>

namespace {

QSize pixelsAppareil(const QRectF& rectTwips, qreal ratio)
{
    return QSize(int(std::lround(rectTwips.width() / twips::ParPixel * ratio)),
                 int(std::lround(rectTwips.height() / twips::ParPixel * ratio)));
}

QRectF placer(const DemandeImage& d, const QSizeF& naturelle)
{
    switch (d.ajustement) {
    case DemandeImage::Ajustement::Ecran:
        return ajustement::ajusterPleinEcran(naturelle, d.zone.size(), d.mode);
    case DemandeImage::Ajustement::Miniature:
        return ajustement::ajusterMiniature(naturelle, d.zone);
    case DemandeImage::Ajustement::Naturelle:
        return QRectF(QPointF(0, 0), naturelle);
    case DemandeImage::Ajustement::Boite:
        break;
    }
    return ajustement::ajusterDansBoite(naturelle, d.zone);
}

} // namespace

DemandeImage demandeEcran(const QString& chemin, const ParametresAffichage& p)
{
    DemandeImage d;
    d.chemin = chemin;
    d.ajustement = DemandeImage::Ajustement::Ecran;
    d.zone = QRectF(QPointF(0, 0), twips::depuisPx(p.ecran));
    d.mode = p.mode;
    d.ratioPixels = p.ratioPixels > 0 ? p.ratioPixels : 1;
    d.fond = p.fond;
    return d;
}

DemandeImage demandeMiniature(const QString& chemin, const QRectF& celluleTwips, qreal ratioPixels)
{
    DemandeImage d = demandeBoite(chemin, celluleTwips, ratioPixels, Qt::white);
    d.ajustement = DemandeImage::Ajustement::Miniature;
    return d;
}

DemandeImage demandeNaturelle(const QString& chemin, qreal ratioPixels)
{
    DemandeImage d;
    d.chemin = chemin;
    d.ajustement = DemandeImage::Ajustement::Naturelle;
    d.ratioPixels = ratioPixels > 0 ? ratioPixels : 1;
    d.fond = Qt::white;
    return d;
}

DemandeImage demandeBoite(const QString& chemin, const QRectF& boiteTwips, qreal ratioPixels, const QColor& fond)
{
    DemandeImage d;
    d.chemin = chemin;
    d.zone = boiteTwips;
    d.ratioPixels = ratioPixels > 0 ? ratioPixels : 1;
    d.fond = fond;
    return d;
}

ImagePrete preparerImage(const DemandeImage& d)
{
    // Thumbnails go through the cache the desktop shares.
    if (d.ajustement == DemandeImage::Ajustement::Miniature)
        return vignettes::preparerMiniature(d);
    ImagePrete resultat;
    resultat.chemin = d.chemin;
    const qreal ratio = d.ratioPixels > 0 ? d.ratioPixels : 1;

    // The header alone gives the fitted size, so that the decoder can shrink
    // straight to it (a 24-megapixel JPEG then decodes at a fraction).
    QSize cible = (d.zone.size() / twips::ParPixel * ratio).toSize();
    const QSize entete = lireTailleNaturelle(d.chemin);
    if (entete.isValid() && !entete.isEmpty())
        cible = pixelsAppareil(placer(d, twips::depuisPx(entete)), ratio).expandedTo(QSize(1, 1));

    const ResultatImage charge = chargerImage(d.chemin, cible, d.fond, d.annulation.get(),
                                              d.srgb ? couleurs::Sortie::Srgb : couleurs::Sortie::Ecran);
    if (!charge.ok()) {
        resultat.erreur = charge.erreur.isEmpty() ? QStringLiteral("Image illisible") : charge.erreur;
        return resultat;
    }
    resultat.naturelle = twips::depuisPx(charge.tailleNaturelle);
    resultat.animable = charge.animable;
    resultat.rectTwips = placer(d, resultat.naturelle);
    const QSize taille = pixelsAppareil(resultat.rectTwips, ratio);
    if (taille.isEmpty()) {
        resultat.erreur = QStringLiteral("Image vide");
        return resultat;
    }
    QImage image = charge.image.size() == taille
                       ? charge.image
                       : charge.image.scaled(taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The format the screen draws fastest, so that showing it is a plain copy.
    resultat.image = image.convertToFormat(QImage::Format_RGB32);
    resultat.image.setDevicePixelRatio(ratio);
    return resultat;
}
