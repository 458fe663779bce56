#include "app/twips.h"

#include <QWidget>

namespace twips {
void placer(QWidget* w, double gauche, double haut, double largeur, double hauteur)
{
    w->setGeometry(rect(gauche, haut, largeur, hauteur));
}

void deplacer(QWidget* w, double gauche, double haut)
{
    w->move(px(gauche), px(haut));
}
} // namespace twips
