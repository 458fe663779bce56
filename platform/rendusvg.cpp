#include "platform/rendusvg.h"

#include "platform/chargeurimage.h"
#include "platform/tamponannulable.h"

#include <QImageReader>
#include <QPainter>
#include <memory>

namespace rendusvg {

namespace {

// Each band parses the text again: a few bands keep that cost low while a
// cancelled render still stops within a fraction of its time.
constexpr int Bandes = 4;
constexpr int LignesMin = 128;

ResultatImage echec(const QString& texte, const QSize& naturelle = {})
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
}

const QString Illisible = QStringLiteral("Image endommagée ou illisible");

// One read of the text: Qt's reader parses the drawing again each time.
struct Passe {
    TamponAnnulable tampon;
    QImageReader lecteur;
    Passe(QByteArray* texte, const std::atomic<bool>* annulation) : tampon(texte, annulation), lecteur(&tampon, "svg")
    {
    }
};

// Draws the bands onto `image` in turn, the first with the read that found the size;
// the French reason when one could not be drawn.
QString peindreBandes(QByteArray* texte, std::unique_ptr<Passe> passe, QImage* image,
                      const std::atomic<bool>* annulation)
{
    QPainter peintre(image);
    const QSize taille = image->size();
    const int hauteurBande = qMax(LignesMin, (taille.height() + Bandes - 1) / Bandes);
    for (int y = 0; y < taille.height(); y += hauteurBande) {
        if (!passe)
            passe = std::make_unique<Passe>(texte, annulation);
        passe->lecteur.setScaledSize(taille);
        passe->lecteur.setScaledClipRect(QRect(0, y, taille.width(), qMin(hauteurBande, taille.height() - y)));
        QImage bande;
        const bool lue = !passe->tampon.annule() && passe->lecteur.read(&bande);
        if (passe->tampon.annule())
            return texteLectureAnnulee();
        if (!lue)
            return Illisible;
        peintre.drawImage(0, y, bande);
        passe.reset();
    }
    return {};
}

} // namespace

ResultatImage rendre(QByteArray texte, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                     const std::atomic<bool>* annulation)
{
    auto passe = std::make_unique<Passe>(&texte, annulation);
    const QSize naturelle = passe->lecteur.canRead() ? passe->lecteur.size() : QSize();
    if (passe->tampon.annule())
        return echec(texteLectureAnnulee());
    if (naturelle.isEmpty())
        return echec(Illisible);
    ResultatImage r;
    r.tailleNaturelle = naturelle;
    r.image = QImage(dimensions::tailleCouvrante(naturelle, cible, budget.pixels), QImage::Format_RGB32);
    if (r.image.isNull())
        return echec(texteImageTropGrande(), naturelle);
    r.image.fill(fond);
    const QString erreur = peindreBandes(&texte, std::move(passe), &r.image, annulation);
    return erreur.isEmpty() ? r : echec(erreur, naturelle);
}

} // namespace rendusvg
