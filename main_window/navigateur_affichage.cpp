// AfficheImage: the selected picture fitted into the display box and centred.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "app/twips.h"
#include "fullscreen/ajustement.h"
#include "main_window/affichageimage.h"
#include "platform/chargeurimage.h"

#include <QFutureWatcher>
#include <QtConcurrent>

namespace {
const QRectF BoiteTwips(3120, 630, 6735, 5055);

QSizeF enTwips(const QSize& pixels)
{
    return QSizeF(twips::depuisPx(pixels.width()), twips::depuisPx(pixels.height()));
}

// Decodes at the size the picture will be drawn, in device pixels: the header
// gives the natural size, the fitting gives the size in the box.
ResultatImage chargerPourBoite(const QString& chemin, qreal ratioPixels, const QColor& fond)
{
    const QSize naturelle = lireTailleNaturelle(chemin);
    QSize cible;
    if (naturelle.isValid()) {
        const QRectF r = ajustement::ajusterDansBoite(enTwips(naturelle), BoiteTwips);
        cible = QSizeF(r.width() / twips::ParPixel * ratioPixels, r.height() / twips::ParPixel * ratioPixels)
                    .toSize()
                    .expandedTo(QSize(1, 1));
    }
    return chargerImage(chemin, cible, fond);
}
}

void Navigateur::AfficheImage()
{
    // Set before the previous guard goes, so the pointer never flickers back.
    sablier_ = std::make_unique<Sablier>(g_.services);
    image1_->hide();
    image1_->setImage(QImage());
    rectangleImage_ = QRectF();

    const quint64 generation = ++generationImage_;
    const QString chemin = g_.FichierCourant;
    const qreal ratio = fenetre_->devicePixelRatioF();
    const QColor fond = g_.couleur(Role::Visualisation);
    auto* veilleur = new QFutureWatcher<ResultatImage>(this);
    connect(veilleur, &QFutureWatcherBase::finished, this, [this, veilleur, generation] {
        const ResultatImage r = veilleur->result();
        veilleur->deleteLater();
        recevoirImage(generation, r.image, r.tailleNaturelle);
    });
    veilleur->setFuture(QtConcurrent::run([chemin, ratio, fond] {
        return chemin.isEmpty() ? ResultatImage{} : chargerPourBoite(chemin, ratio, fond);
    }));
}

void Navigateur::recevoirImage(quint64 generation, const QImage& image, const QSize& naturelle)
{
    if (generation != generationImage_)
        return;
    if (image.isNull() || naturelle.isEmpty()) {
        // An unreadable file leaves the box empty, without a message.
        sablier_.reset();
        emit imageAffichee(false);
        return;
    }
    rectangleImage_ = ajustement::ajusterDansBoite(enTwips(naturelle), BoiteTwips);
    twips::placer(image1_, rectangleImage_.x(), rectangleImage_.y(), rectangleImage_.width(),
                  rectangleImage_.height());
    image1_->setImage(image);
    image1_->show();
    sablier_.reset();
    if (liens_.activerBoutonsImage)
        liens_.activerBoutonsImage();
    emit imageAffichee(true);
}
