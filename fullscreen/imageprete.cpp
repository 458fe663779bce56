#include "fullscreen/imageprete.h"

#include "app/twips.h"
#include "fullscreen/ajustement.h"
#include "platform/chargeurimage.h"

#include <cmath>

namespace {

QSizeF enTwips(QSize pixels)
{
    return QSizeF(twips::depuisPx(pixels.width()), twips::depuisPx(pixels.height()));
}

QSize pixelsAppareil(const QRectF& rectTwips, qreal ratio)
{
    return QSize(int(std::lround(rectTwips.width() / twips::ParPixel * ratio)),
                 int(std::lround(rectTwips.height() / twips::ParPixel * ratio)));
}

} // namespace

ImagePrete preparerImage(const QString& chemin, const ParametresAffichage& p)
{
    ImagePrete resultat;
    resultat.chemin = chemin;
    const QSizeF ecran = enTwips(p.ecran);
    const qreal ratio = p.ratioPixels > 0 ? p.ratioPixels : 1;

    // The header alone gives the fitted size, so that the decoder can shrink
    // straight to it (a 24-megapixel JPEG then decodes at a fraction).
    QSize cible = (QSizeF(p.ecran) * ratio).toSize();
    const QSize entete = lireTailleNaturelle(chemin);
    if (entete.isValid() && !entete.isEmpty())
        cible = pixelsAppareil(ajustement::ajusterPleinEcran(enTwips(entete), ecran, p.mode), ratio);

    const ResultatImage charge = chargerImage(chemin, cible, p.fond);
    if (!charge.ok()) {
        resultat.erreur = charge.erreur.isEmpty() ? QStringLiteral("Image illisible") : charge.erreur;
        return resultat;
    }
    resultat.naturelle = enTwips(charge.tailleNaturelle);
    resultat.rectTwips = ajustement::ajusterPleinEcran(resultat.naturelle, ecran, p.mode);
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
