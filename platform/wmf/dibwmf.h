#pragma once
// Device-independent bitmaps as metafiles embed them.
#include <QImage>
#include <QVector>

#include "platform/dimensionsimage.h"

namespace wmf {

// Colour table entries are RGB quads, or (DIB_PAL_COLORS) indices into `palette`.
enum UsageCouleurs { DibRgb = 0, DibPal = 1 };

// Decodes header, colour table and bits from `n` bytes. Returns a null image
// when the bytes do not hold a bitmap, or one larger than `pixelsMax`.
// Rows come out top first whatever the order stored.
// An embedded JPEG or PNG must also decode within `budget`.
QImage lireDib(const uchar* d, qsizetype n, int usage, const QVector<QRgb>& palette, qint64 pixelsMax,
               const dimensions::Budget& budget = dimensions::budgetPour({}));

// Width and height a DIB header announces, without decoding; {0, 0} when unreadable.
QSize tailleDib(const uchar* d, qsizetype n);

} // namespace wmf
