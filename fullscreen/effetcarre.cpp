#include "fullscreen/effetcarre.h"

#include <cmath>

qint64 arrondiPair(double valeur)
{
    if (!std::isfinite(valeur))
        return 0;
    valeur = std::fmax(-1e15, std::fmin(1e15, valeur));
    const double bas = std::floor(valeur);
    const double reste = valeur - bas;
    qint64 entier = static_cast<qint64>(bas);
    if (reste > 0.5 || (reste == 0.5 && (entier % 2 != 0)))
        ++entier;
    return entier;
}

std::vector<RectangleEffet> EffetCarre(double largeur, double hauteur, int n)
{
    std::vector<RectangleEffet> etapes;
    if (n <= 0 || !std::isfinite(largeur) || !std::isfinite(hauteur))
        return etapes;
    const qint64 dx = arrondiPair(largeur / n);
    const qint64 dy = arrondiPair(hauteur / n);
    const qint64 debut = arrondiPair(n / 2.0);
    etapes.reserve(static_cast<size_t>(debut + 1));
    for (qint64 i = debut; i >= 0; --i) {
        const qint64 fin = n - i + 1;
        etapes.push_back({dx * i, dy * i, dx * fin, dy * fin});
    }
    return etapes;
}
