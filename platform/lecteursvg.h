#pragma once
// SVG drawings, gzip-compressed or not, read within the loader's budget and drawn
// at the size asked (platform/rendusvg.h).
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QFile>

namespace lecteursvg {

// Drawings are read as such only under their own suffix.
bool nomDessin(const QString& chemin);
ResultatImage charger(QFile& fichier, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                      const std::atomic<bool>* annulation);
// The natural size from the root element alone, without building the drawing; invalid when unknown.
QSize taille(QFile& fichier);

} // namespace lecteursvg
