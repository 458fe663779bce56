// AfficheImage: the selected picture fitted into the display box and centred.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "app/twips.h"
#include "core/animation.h"
#include "main_window/affichageimage.h"

#include <utility>

namespace {
const QRectF BoiteTwips(3120, 630, 6735, 5055);
}

DemandeImage Navigateur::demandeApercu(General& g, const QString& chemin, qreal ratioPixels)
{
    DemandeImage d = demandeBoite(chemin, BoiteTwips, ratioPixels, g.couleur(Role::Visualisation));
    d.identite = g.modele.identite(chemin);
    // Before any listing (the picture named on the command line, decoding while the
    // window is built), the file as it is now: the listing's request for it, made while
    // that decode still runs, is then the same and joins it rather than decoding again.
    if (!d.identite.connue())
        d.identite = identiteFichier(chemin);
    return d;
}

void Navigateur::AfficheImage()
{
    // Set before the previous guard goes, so the pointer never flickers back.
    sablier_ = std::make_unique<Sablier>(g_.services);
    image1_->hide();
    image1_->setImage(QImage());
    rectangleImage_ = QRectF();
    animation_.reset();
    apercu_ = ImagePrete{};

    // Only the newest selection is wanted: the one before is dropped, or stopped
    // where it runs, once this one is asked (the same picture again joins it).
    const quint64 ancien = std::exchange(ticketImage_, 0);
    const QString chemin = g_.FichierCourant();
    if (!chemin.isEmpty())
        ticketImage_ =
            g_.images.demander(demandeApercu(g_, chemin, fenetre_->devicePixelRatioF()), ServiceImages::Affichage,
                               [this](const ImagePrete& image) { recevoirImage(image); });
    g_.images.annuler(ancien);
    if (chemin.isEmpty())
        recevoirImage(ImagePrete{});
}

// The window now shows on a screen of another ratio: the picture shown (or on its
// way) is decoded again at the new device pixels, and replaces the old one when it
// comes, without emptying the box meanwhile.
void Navigateur::suivreRatio()
{
    const QString chemin = g_.FichierCourant();
    if (chemin.isEmpty() || (image1_->image().isNull() && ticketImage_ == 0))
        return;
    const quint64 ancien = std::exchange(ticketImage_, 0);
    ticketImage_ =
        g_.images.demander(demandeApercu(g_, chemin, fenetre_->devicePixelRatioF()), ServiceImages::Affichage,
                           [this](const ImagePrete& image) { recevoirImage(image); });
    g_.images.annuler(ancien);
}

void Navigateur::recevoirImage(const ImagePrete& image)
{
    ticketImage_ = 0;
    if (!image.ok()) {
        // An unreadable file leaves the box empty, without a message.
        sablier_.reset();
        emit imageAffichee(false);
        return;
    }
    rectangleImage_ = image.rectTwips;
    twips::placer(image1_, rectangleImage_.x(), rectangleImage_.y(), rectangleImage_.width(), rectangleImage_.height());
    image1_->setImage(image.image);
    image1_->show();
    apercu_ = image;
    animerApercu();
    sablier_.reset();
    emit imageAffichee(true);
}

// An animated picture plays from its first frame, drawn where the first one is.
void Navigateur::animerApercu()
{
    animation_.reset();
    if (!apercu_.animable || modeMiniatures_ || apercuSuspendu_)
        return;
    image1_->setImage(apercu_.image);
    animation_ = std::make_unique<Animation>(
        g_.images, *g_.horloge, demandeApercu(g_, apercu_.chemin, apercu_.image.devicePixelRatio()), apercu_);
    connect(animation_.get(), &Animation::imageDue, image1_, &AffichageImage::setImage);
}

void Navigateur::setModeMiniatures(bool oui)
{
    const bool avant = std::exchange(modeMiniatures_, oui);
    if (oui)
        animation_.reset();
    else if (avant)
        animerApercu();
}
