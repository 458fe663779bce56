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
    bool ok() const { return !image.isNull(); }
};

// Largest side accepted for a rendering, in device pixels.
constexpr int TailleMaxRendu = 16384;

// Renders the whole picture stretched into `taille` on the colour `fond`.
ResultatWmf rendre(const QByteArray& donnees, const QSize& taille, const QColor& fond = Qt::white);

} // namespace wmf
