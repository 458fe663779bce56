#pragma once
// Layouts are designed in twips (1440 per inch). Qt's logical pixel is 1/96 inch,
// so every conversion happens here, at 15 twips per pixel; high-DPI scaling does the rest.
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QtMath>

namespace twips {
constexpr double ParPixel = 15.0;

inline int px(double t)
{
    return qRound(t / ParPixel);
}
inline double depuisPx(double p)
{
    return p * ParPixel;
}
inline QRect rect(double gauche, double haut, double largeur, double hauteur)
{
    return QRect(px(gauche), px(haut), px(largeur), px(hauteur));
}
inline QSize taille(double largeur, double hauteur)
{
    return QSize(px(largeur), px(hauteur));
}
inline QSizeF depuisPx(QSize pixels)
{
    return QSizeF(depuisPx(pixels.width()), depuisPx(pixels.height()));
}
} // namespace twips
