#pragma once
// Shared helpers of the WMF tests: a square test sheet and pixel checks.
#include "ecrivainwmf.h"

#include "platform/wmf/lecteurwmf.h"

namespace wmftest {

// A placeable file whose 1000×1000 logical units fill the picture.
inline EcrivainWmf feuille()
{
    EcrivainWmf e;
    e.placeable(QRect(0, 0, 1000, 1000), 1000);
    return e;
}

inline QImage rendu(const EcrivainWmf& e, int cote = 100)
{
    return wmf::rendre(e.octets(), QSize(cote, cote)).image;
}

// Bounding box of the pixels that are not white.
inline QRect encre(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace wmftest
