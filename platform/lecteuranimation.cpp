#include "platform/lecteuranimation.h"

#include "platform/formatimage.h"
#include "platform/lecteurgif.h"
#include "platform/outilschargeur.h"
#include "platform/profilicc.h"

#include <QImageReader>
#include <QPainter>

using namespace chargeur;
using formatimage::Format;

namespace {

// Lays a composited frame on `fond` into *dest. Its buffer is written over when
// nothing else holds it and it has the frame's size, so that a player goes round
// the same few buffers; every pixel is written, so nothing of the frame it held
// before shows through.
void poserTrame(const QImage& trame, const QColor& fond, QImage* dest)
{
    if (!dest->isDetached() || dest->size() != trame.size() || dest->format() != QImage::Format_RGB32)
        *dest = QImage(trame.size(), QImage::Format_RGB32);
    dest->setDevicePixelRatio(trame.devicePixelRatio());
    const bool transparente = trame.hasAlphaChannel();
    if (transparente)
        dest->fill(fond);
    QPainter peintre(dest);
    peintre.setCompositionMode(transparente ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source);
    peintre.drawImage(0, 0, trame);
}

} // namespace

LecteurAnimation::LecteurAnimation(const QString& chemin, const QSize& cible, const QColor& fond,
                                   couleurs::Sortie sortie)
    : chemin_(chemin), cible_(cible), fond_(fond), sortie_(sortie)
{
    fixerLimiteAllocation();
    ouvrirLecteur();
}

LecteurAnimation::~LecteurAnimation() = default;

bool LecteurAnimation::ouvrirLecteur()
{
    lecteur_.reset();
    gif_.reset();
    lues_ = 0;
    QString erreur;
    fichier_.close();
    if (!ouvrir(fichier_, chemin_, &erreur))
        return false;
    const Format format = formatimage::detecter(fichier_.peek(formatimage::OctetsSniff));
    profil_ = profilicc::lire(fichier_).icc;
    if (format == Format::Gif)
        return ouvrirGif();
    auto lecteur = std::make_unique<QImageReader>(&fichier_, formatimage::nomQt(format));
    formatimage::choisirLecteur(*lecteur, formatimage::nomQt(format));
    lecteur->setAutoTransform(true); // as the first frame was shown
    if (!lecteur->canRead() || !lecteur->supportsAnimation())
        return false;
    // Frames are composited at the canvas size whatever is asked: the budget is the whole decode's.
    const QSize stockee = lecteur->size();
    if (!stockee.isValid() || stockee.isEmpty())
        return false;
    const bool pivote = lecteur->transformation() & QImageIOHandler::TransformationRotate90;
    const dimensions::Budget budget = dimensions::budgetPour(cible_);
    couverture_ = dimensions::tailleCouvrante(pivote ? stockee.transposed() : stockee, cible_, budget.pixels);
    if (!choisirEchelle(*lecteur, stockee, pivote ? couverture_.transposed() : couverture_, budget, 0))
        return false;
    // Both are read before the first frame: asked later, GIF's reader may look past the frame it is on.
    nombre_ = std::max(0, lecteur->imageCount());
    boucles_ = lecteur->loopCount();
    lecteur_ = std::move(lecteur);
    return true;
}

// The file is gone through once for its frame count and loop count; a rewind
// only starts the decoder again.
bool LecteurAnimation::ouvrirGif()
{
    if (!examine_) {
        const LecteurGif::Infos infos = LecteurGif::examiner(&fichier_);
        nombre_ = infos.images;
        boucles_ = infos.boucles;
        ecranGif_ = infos.ecran;
        examine_ = infos.ok;
    }
    if (!examine_ || !ecranGif_.isValid() || ecranGif_.isEmpty())
        return false;
    const dimensions::Budget budget = dimensions::budgetPour(cible_);
    couverture_ = dimensions::tailleCouvrante(ecranGif_, cible_, budget.pixels);
    if (horsBudgetEntier(ecranGif_, couverture_, budget))
        return false;
    auto gif = std::make_unique<LecteurGif>(&fichier_, fond_, profil_, sortie_);
    if (!gif->ok() || gif->ecran() != ecranGif_)
        return false;
    gif->limiterTrame(budget.pixels);
    gif_ = std::move(gif);
    return true;
}

// Frames the size shown are composited straight into *image; larger ones on a
// canvas of the reader's, then fitted.
bool LecteurAnimation::lireGif(QImage* image, int* delaiMs)
{
    if (couverture_ == gif_->ecran())
        return gif_->lire(image, delaiMs);
    if (!gif_->lire(&toile_, delaiMs))
        return false;
    poserTrame(toile_.scaled(couverture_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), fond_, image);
    return true;
}

bool LecteurAnimation::lire(QImage* image, int* delaiMs)
{
    if (nombre_ > 0 && lues_ >= nombre_)
        return false;
    if (gif_) {
        // The palettes are converted to `sortie_` already.
        if (!lireGif(image, delaiMs))
            return false;
        ++lues_;
        return true;
    }
    if (!lecteur_)
        return false;
    {
        // The reader composites on a canvas of its own and hands that out shared:
        // copied out and let go of before the next read, it is never duplicated
        // whole just to take the next frame.
        QImage trame;
        if (!lecteur_->read(&trame))
            return false;
        // The delay of the frame just read, before anything else reads on.
        *delaiMs = lecteur_->nextImageDelay();
        const QSize t = trame.size();
        if (couverture_.isValid() && (t.width() > couverture_.width() || t.height() > couverture_.height()))
            trame = trame.scaled(couverture_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        poserTrame(trame, fond_, image);
    }
    ++lues_;
    couleurs::convertir(*image, profil_, sortie_);
    return true;
}

bool LecteurAnimation::rembobiner()
{
    return ouvrirLecteur();
}
