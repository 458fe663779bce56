#pragma once
// Qt's BMP reader widens 5- and 6-bit channels by shifting alone, so the whitest
// 16-bit colour comes out (248, 252, 248). This stretches them back to full range.
#include <QByteArray>
#include <QImage>

namespace correctionbmp {

// `debut`: the first bytes of the BMP file (file header included). Does nothing to
// pictures that are not 16 bits per pixel.
void etendreCanaux16Bits(QImage& image, const QByteArray& debut);

} // namespace correctionbmp
