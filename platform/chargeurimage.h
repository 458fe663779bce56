#pragma once
// The one picture loader every window uses. It picks the format from the file's
// content, applies the EXIF orientation, decodes no larger than the picture will
// be shown and keeps memory bounded whatever the input. Safe to call from any thread.
#include "platform/couleurs.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>

struct ResultatImage {
    QImage image;          // decoded, already oriented, at no more than needed for `cible`
    QSize tailleNaturelle; // natural size in pixels after orientation (what the fitting rules use)
    QString erreur;        // French text when image is null
    bool animable = false; // a format that may hold more frames (GIF, WebP): LecteurAnimation reads them
    QByteArray profilIcc;  // the picture's embedded ICC profile; empty: sRGB
    bool ok() const { return !image.isNull(); }
};

// `cible`: size in device pixels of the rectangle the picture will be drawn into;
// its proportions may differ from the picture's (stretched full screen). The image
// returned keeps the picture's proportions and is the smallest that covers `cible`
// in both directions, never above the natural size. An invalid or empty `cible`
// asks for the natural size (still bounded in memory). Transparent parts are laid
// on `fondTransparence`.
// `annulation`, when given and set while the decode runs, makes it stop at its next
// read of the file (its result is then an error nobody should show).
// The colours come out converted from the picture's profile to `sortie`'s.
ResultatImage chargerImage(const QString& chemin, const QSize& cible, const QColor& fondTransparence = Qt::black,
                           const std::atomic<bool>* annulation = nullptr,
                           couleurs::Sortie sortie = couleurs::Sortie::Ecran);

// Natural size read from the header only, after orientation; invalid when unreadable.
QSize lireTailleNaturelle(const QString& chemin);

// The loader's answers for a picture past its decoding budget (dimensions::budgetPour).
QString texteImageTropGrande();
QString texteImageTropComplexe();
QString texteLectureAnnulee();
