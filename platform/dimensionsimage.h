#pragma once
// Size arithmetic of the picture loader, kept apart so that it can be checked with tables.
#include <QSize>
#include <QSizeF>
#include <QtGlobal>

namespace dimensions {

// Largest picture area, in pixels, the loader hands back (4 bytes each). Qt's own
// allocation limit sits above it so that a scaled JPEG decode always fits.
constexpr qint64 PixelsMax = 48LL * 1024 * 1024;
constexpr int LimiteAllocationMo = 256;

// Smallest size with the proportions of `naturelle` that covers `cible` in both
// directions, never above `naturelle`, never above `pixelsMax` in area. An invalid or
// empty `cible` stands for the natural size.
QSize tailleCouvrante(const QSize& naturelle, const QSize& cible, qint64 pixelsMax = PixelsMax);

// Size to hand to the JPEG reader for a picture stored at `stockee` that must cover
// `couverture`: an exact DCT scale (1/1, 1/2, 1/4, 1/8) so that libjpeg reduces while it
// decodes, the smallest one that still covers, within `pixelsMax`. Invalid when the picture
// is to be decoded at full size.
QSize tailleDecodageJpeg(const QSize& stockee, const QSize& couverture, qint64 pixelsMax = PixelsMax);

// Size a vector picture of natural size `naturelle` is rendered at: it covers `cible`
// (larger than natural if need be, vectors stay sharp), within `coteMax` on each side and
// `pixelsMax` in area. An invalid or empty `cible` stands for the natural size.
QSize tailleRenduVectoriel(const QSizeF& naturelle, const QSize& cible, int coteMax,
                           qint64 pixelsMax = PixelsMax);

// The size libjpeg produces at scale n/8.
QSize tailleDct(const QSize& stockee, int huitiemes);

} // namespace dimensions
