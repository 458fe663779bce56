#pragma once
// A picture decoded and already fitted to where it is drawn, ready to be shown
// as is: what the picture service hands to the preview, the full-screen viewer
// and the prefetch.

#include "platform/listedossier.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <atomic>
#include <memory>

// The full-screen view's settings a fitted picture depends on.
struct ParametresAffichage {
    QSize ecran;             // the screen, in logical pixels
    qreal ratioPixels = 1;   // device pixels per logical pixel
    int mode = 0;            // AdapterImage
    QColor fond = Qt::black; // fills transparent parts of the picture

    bool operator==(const ParametresAffichage& o) const
    {
        return ecran == o.ecran && ratioPixels == o.ratioPixels && mode == o.mode && fond == o.fond;
    }
    bool operator!=(const ParametresAffichage& o) const { return !(*this == o); }
};

// What to decode and where it will be drawn.
struct DemandeImage {
    // Boite: the preview, centred; Ecran: the full-screen modes; Miniature: a
    // thumbnail cell (ajusterMiniature); Naturelle: the whole picture, unscaled.
    enum class Ajustement { Boite, Ecran, Miniature, Naturelle };

    QString chemin;
    Ajustement ajustement = Ajustement::Boite;
    QRectF zone;  // twips: the preview box, or the screen at (0, 0)
    int mode = 0; // fitting mode on the screen
    qreal ratioPixels = 1;
    QColor fond = Qt::black;
    // Colours for another program (the clipboard) rather than for this display.
    bool srgb = false;
    // The file as the folder model measured it: a picture rewritten since is
    // another request. Unknown for a path outside a listed folder.
    IdentiteFichier identite;
    // Set by the picture service once nobody wants the result: the decode stops early.
    std::shared_ptr<const std::atomic<bool>> annulation;

    bool operator==(const DemandeImage& o) const
    {
        return chemin == o.chemin && ajustement == o.ajustement && zone == o.zone && mode == o.mode
               && ratioPixels == o.ratioPixels && fond == o.fond && srgb == o.srgb && identite == o.identite;
    }
};

DemandeImage demandeEcran(const QString& chemin, const ParametresAffichage& p);
DemandeImage demandeMiniature(const QString& chemin, const QRectF& celluleTwips, qreal ratioPixels);
// The whole picture at its natural size in logical pixels: at a ratio of 2, a
// metafile renders at twice its pixels (sharp), a bitmap is enlarged.
DemandeImage demandeNaturelle(const QString& chemin, qreal ratioPixels = 1);
DemandeImage demandeBoite(const QString& chemin, const QRectF& boiteTwips, qreal ratioPixels, const QColor& fond);

struct ImagePrete {
    QString chemin;
    quint64 generation = 0;
    QImage image;     // at the fitted size, in device pixels
    QRectF rectTwips; // where it goes
    QSizeF naturelle; // natural size, twips
    QString erreur;
    bool animable = false; // its format may hold more frames: an Animation plays them after this one

    bool ok() const { return erreur.isEmpty() && !image.isNull(); }
    qint64 octets() const { return image.sizeInBytes(); }
};

// Loads and fits one picture. Thread-safe: every worker calls it.
ImagePrete preparerImage(const DemandeImage& demande);
inline ImagePrete preparerImage(const QString& chemin, const ParametresAffichage& p)
{
    return preparerImage(demandeEcran(chemin, p));
}
