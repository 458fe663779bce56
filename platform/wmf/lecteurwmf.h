#pragma once
// Windows Metafile reader: plays the metafile's records onto a QPainter at the
// size the picture is shown at. Any byte sequence is accepted: a damaged file
// gives an error result or the part drawn before the damage.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <atomic>

#include "platform/dimensionsimage.h"

namespace wmf {

// True when the first bytes carry the placeable key or a plausible standard header.
bool estWmf(const QByteArray& debut);

struct InfoWmf {
    QSizeF tailleNaturellePx; // at 96 dpi
    bool ok = false;
    QString erreur;
};
InfoWmf lireInfo(const QByteArray& donnees);

struct ResultatWmf {
    QImage image;
    QSize tailleNaturelle;
    QString erreur;
    bool budgetAtteint = false; // playback stopped at the work or object budget
    bool annule = false;        // stopped because nobody wants the picture any more
    qint64 travail = 0;         // records played plus pixels touched
    qint64 octetsObjetsMax = 0; // most bytes the objects alive at once took
    bool ok() const { return !image.isNull(); }
};

// Largest side accepted for a rendering, in device pixels.
constexpr int TailleMaxRendu = 16384;

// Renders the whole picture stretched into `taille` on the colour `fond`, within the
// budget for that size unless one is given. Playback stops before the next record
// once `annulation` is set.
ResultatWmf rendre(const QByteArray& donnees, const QSize& taille, const QColor& fond = Qt::white);
ResultatWmf rendre(const QByteArray& donnees, const QSize& taille, const QColor& fond, const dimensions::Budget& budget,
                   const std::atomic<bool>* annulation = nullptr);

} // namespace wmf
