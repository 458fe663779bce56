#pragma once
// The HEIC/HEIF, AVIF and JPEG XL readers, reached through the image module
// (libormelle-images.so), which the first such file loads: a launch that shows a JPEG
// maps neither libheif nor libjxl. The module is looked for beside the program as
// installed (/usr/bin/../lib/<multiarch>/ormelle/), which the build tree mirrors, then by
// its bare name; a program built with the readers inside uses them as they are. Once
// loaded it stays for the life of the process.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"

#include <QSize>
#include <atomic>

class QIODevice;

namespace moduleimages {

// `format` is Heif or Jxl. The first call from any thread loads the module (a second
// caller waits for the first); when it cannot be loaded, the picture is unreadable with a
// French reason, and the log says why, once.
QSize lireTaille(formatimage::Format format, QIODevice* appareil);
ResultatImage lire(formatimage::Format format, QIODevice* appareil, const QSize& cible,
                   const dimensions::Budget& budget, const std::atomic<bool>* annulation);

} // namespace moduleimages
