#pragma once
// The common JPEGs (YCbCr, RGB, grey) decoded by libjpeg itself: at the smallest
// DCT scale that still covers the size asked, written straight as 32-bit pixels
// into a pooled buffer, so that a large photo fitted to a screen costs one decode
// and at most one final scale, with no conversion between them.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QFile>
#include <optional>

namespace lecteurjpeg {

// Smallest n of 1, 2, 4, 8 whose n/8 decode of `stockee` covers `couverture` and fits
// the budget; 0 when none fits.
int huitiemes(const QSize& stockee, const QSize& couverture, qint64 octetsCoefficients,
              const dimensions::Budget& budget);

// Nothing when the file is not one this reader takes (CMYK, an unusual colour
// space): the caller then hands it to Qt's reader. Otherwise the picture, oriented
// and covering `cible` as chargerImage's would, or the error to show.
std::optional<ResultatImage> lire(QFile& fichier, const QSize& cible, const dimensions::Budget& budget,
                                  qint64 octetsCoefficients, const std::atomic<bool>* annulation);

} // namespace lecteurjpeg
