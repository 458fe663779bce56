#pragma once
// JPEG XL pictures through libjxl: the first frame, oriented as the file says,
// with the colour profile of the pixels the decoder hands back.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QSize>
#include <atomic>

class QIODevice;

namespace lecteurjxl {

// Natural size after orientation, from the basic header alone; invalid when unreadable.
QSize lireTaille(QIODevice* appareil);

// Decodes the whole picture, fed to libjxl in pieces so that `annulation` is looked at
// between them, and refuses from the header alone a picture past `budget`. The image
// comes back at its natural size, not yet fitted to `cible`.
ResultatImage lire(QIODevice* appareil, const QSize& cible, const dimensions::Budget& budget,
                   const std::atomic<bool>* annulation = nullptr);

} // namespace lecteurjxl
