#pragma once
// Layouts are designed in twips (1440 per inch). Qt's logical pixel is 1/96 inch,
// so every conversion happens here, at 15 twips per pixel; high-DPI scaling does the rest.
#include <QRect>
#include <QSize>
#include <QtMath>

class QWidget;

namespace twips {
constexpr double ParPixel = 15.0;

inline int px(double t) { return qRound(t / ParPixel); }
inline double depuisPx(double p) { return p * ParPixel; }
inline QRect rect(double gauche, double haut, double largeur, double hauteur)
{
    return QRect(px(gauche), px(haut), px(largeur), px(hauteur));
}
inline QSize taille(double largeur, double hauteur) { return QSize(px(largeur), px(hauteur)); }

// Places a control at a designed position, in twips relative to its parent.
void placer(QWidget* w, double gauche, double haut, double largeur, double hauteur);
void deplacer(QWidget* w, double gauche, double haut);
}
