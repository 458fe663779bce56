#pragma once
// Placing controls at their positions in twips (conversions in core/twips.h).
#include "core/twips.h"

class QWidget;

namespace twips {
// Places a control at its position, in twips relative to its parent.
void placer(QWidget* w, double gauche, double haut, double largeur, double hauteur);
void deplacer(QWidget* w, double gauche, double haut);
} // namespace twips
