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
QSize tailleRenduVectoriel(const QSizeF& naturelle, const QSize& cible, int coteMax, qint64 pixelsMax = PixelsMax);

// The size libjpeg produces at scale n/8.
QSize tailleDct(const QSize& stockee, int huitiemes);

// What one decode may cost, whatever the format. It follows the size the picture is
// shown at, so that a full-screen picture on an 8K screen (7680x4320) still fits,
// and stays far enough below 512 MB that a decode never gets the process killed.
struct Budget {
    qint64 octets = 0;             // memory at the decode's peak
    qint64 pixels = 0;             // pixels of the decoded picture
    qint64 octetsDecompresses = 0; // bytes a compressed file may inflate to
    qint64 octetsObjetsWmf = 0;    // objects of a metafile alive at once
    qint64 travailWmf = 0;         // records played plus pixels touched
};
Budget budgetPour(const QSize& cible);

// Peak memory of a JPEG decode at scale n/8: the whole-picture coefficient buffers
// of a progressive (or multi-scan) file, libjpeg's output, Qt's rescale of it to
// the size asked when that differs, and our final smooth scale to `couverture`.
qint64 memoireJpeg(qint64 octetsCoefficients, const QSize& stockee, int huitiemes, const QSize& demandee,
                   const QSize& couverture);

// DCT scale, in eighths, for a JPEG stored at `stockee` shown to cover `couverture`:
// the one tailleDecodageJpeg picks, made smaller until the decode fits `budget`; 0
// when even 1/8 does not (the coefficient buffers alone may not).
int echelleJpeg(const QSize& stockee, const QSize& couverture, qint64 octetsCoefficients, const Budget& budget);
// The size to hand to Qt's reader for scale n/8 (invalid at 8/8: no scaling asked).
QSize tailleDemandeeJpeg(const QSize& stockee, int huitiemes);

} // namespace dimensions
