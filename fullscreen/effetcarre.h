#pragma once
// The growing rectangle of the transition: from one division around the
// centre to one division beyond every edge, in n / 2 + 1 steps.

#include <QtGlobal>
#include <vector>

struct RectangleEffet {
    // Corners as drawn (both inclusive), in the surface's units (twips).
    // 64-bit so that no screen size can overflow them.
    qint64 x1, y1, x2, y2;
    bool operator==(const RectangleEffet& o) const { return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2; }
};

// Nearest whole number, a half going to the even neighbour (0.5 → 0, 1.5 → 2).
qint64 arrondiPair(double valeur);

// The rectangles EffetCarre draws, in order, on a surface of the given inner
// size with n divisions (100 in the viewer).
std::vector<RectangleEffet> EffetCarre(double largeur, double hauteur, int n = 100);
