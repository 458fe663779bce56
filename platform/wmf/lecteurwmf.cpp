#include "platform/wmf/lecteurwmf.h"

#include "platform/wmf/entetewmf.h"
#include "platform/wmf/joueurwmf.h"

namespace wmf {

InfoWmf lireInfo(const QByteArray& donnees)
{
    InfoWmf info;
    Entete e;
    info.ok = lireEntete(donnees, &e, &info.erreur);
    if (info.ok)
        info.tailleNaturellePx = e.tailleNaturellePx;
    return info;
}

ResultatWmf rendre(const QByteArray& donnees, const QSize& taille, const QColor& fond)
{
    return rendre(donnees, taille, fond, dimensions::budgetPour(taille));
}

ResultatWmf rendre(const QByteArray& donnees, const QSize& taille, const QColor& fond, const dimensions::Budget& budget,
                   const std::atomic<bool>* annulation)
{
    ResultatWmf r;
    Entete e;
    if (!lireEntete(donnees, &e, &r.erreur))
        return r;
    r.tailleNaturelle = e.tailleNaturellePx.toSize().expandedTo(QSize(1, 1));
    if (taille.width() <= 0 || taille.height() <= 0 || taille.width() > TailleMaxRendu
        || taille.height() > TailleMaxRendu) {
        r.erreur = QStringLiteral("Taille d'image demandée invalide");
        return r;
    }
    QImage image(taille, fond.alpha() == 255 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        r.erreur = QStringLiteral("Mémoire insuffisante pour l'image");
        return r;
    }
    image.fill(fond);
    JoueurWmf joueur(donnees, e, &image, budget, annulation);
    r.erreur = joueur.jouer();
    r.budgetAtteint = joueur.budgetAtteint();
    r.annule = joueur.annule();
    r.travail = joueur.travail();
    r.octetsObjetsMax = joueur.octetsObjetsMax();
    // Damage after the first drawing still shows what came before it.
    if (r.erreur.isEmpty() || (joueur.aDessine() && !r.annule))
        r.image = image;
    return r;
}

} // namespace wmf
