#pragma once
// HEIC/HEIF and AVIF pictures through libheif: the primary image, or the file's own
// thumbnail when that is enough for the size asked, oriented as the file says
// (libheif applies irot and imir), with the colour profile it declares.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QSize>
#include <atomic>

class QIODevice;

namespace lecteurheif {

// The file is read through `appareil` as libheif asks: the boxes that describe it, then
// only the coded data of the image decoded.

// Natural size after orientation, from the headers alone; invalid when unreadable.
QSize lireTaille(QIODevice* appareil);

// Decodes the smallest stored image that covers `cible` (the file's thumbnail, else the
// primary image), refusing before any pixel is allocated a picture past `budget`. The
// image comes back as decoded, not yet fitted to `cible`; `annulation` is looked at
// between libheif's reads and steps (it cannot stop a decode once started).
ResultatImage lire(QIODevice* appareil, const QSize& cible, const dimensions::Budget& budget,
                   const std::atomic<bool>* annulation = nullptr);

} // namespace lecteurheif
