#include "platform/rendusvg.h"

#include "platform/tamponannulable.h"

#include <QImageReader>
#include <QPainter>

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

} // namespace

QString texteAnnule()
{
    return QStringLiteral("Lecture annulée");
}

ResultatImage rendre(QByteArray texte, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                     const std::atomic<bool>* annulation)
{
    const QString illisible = QStringLiteral("Image endommagée ou illisible");
    auto tampon = std::make_unique<TamponAnnulable>(&texte, annulation);
    auto lecteur = std::make_unique<QImageReader>(tampon.get(), "svg");
    const QSize naturelle = lecteur->canRead() ? lecteur->size() : QSize();
    if (tampon->annule())
        return echec(texteAnnule());
    if (naturelle.isEmpty())
        return echec(illisible);
    const QSize taille = dimensions::tailleCouvrante(naturelle, cible, budget.pixels);
    QImage image(taille, QImage::Format_RGB32);
    if (image.isNull())
        return echec(texteImageTropGrande(), naturelle);
    image.fill(fond);
    QPainter peintre(&image);
    const int hauteurBande = qMax(LignesMin, (taille.height() + Bandes - 1) / Bandes);
    for (int y = 0; y < taille.height(); y += hauteurBande) {
        if (!lecteur) { // the first band reuses the reader that read the size
            tampon = std::make_unique<TamponAnnulable>(&texte, annulation);
            lecteur = std::make_unique<QImageReader>(tampon.get(), "svg");
        }
        lecteur->setScaledSize(taille);
        lecteur->setScaledClipRect(QRect(0, y, taille.width(), qMin(hauteurBande, taille.height() - y)));
        QImage bande;
        const bool lue = !tampon->annule() && lecteur->read(&bande);
        if (tampon->annule())
            return echec(texteAnnule(), naturelle);
        if (!lue)
            return echec(illisible, naturelle);
        peintre.drawImage(0, y, bande);
        lecteur.reset();
    }
    peintre.end();
    ResultatImage r;
    r.tailleNaturelle = naturelle;
    r.image = image;
    return r;
}

} // namespace rendusvg
