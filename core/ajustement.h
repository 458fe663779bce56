#pragma once
// Where a picture goes on the screen or in a box. Everything is in twips and
// doubles, so that the results can be compared with worked examples
// exactly; conversion to pixels happens only when drawing.

#include <QRectF>
#include <QSizeF>

namespace ajustement {

enum Mode { Proportions = 0, NePasAdapter = 1, ToutEcran = 2 };

// The picture of natural size `naturelle` fitted on a screen of size `ecran`
// by the fitting mode `mode` (AdapterImage); an unknown mode keeps the
// shrink-to-fit placement.
QRectF ajusterPleinEcran(QSizeF naturelle, QSizeF ecran, int mode);

// The main window's preview: natural size when it fits, otherwise reduced
// proportionally until it fills the box in one direction; centred in `boite`.
QRectF ajusterDansBoite(QSizeF naturelle, QRectF boite);
// A thumbnail cell: a picture larger than the cell shrinks to fit it, proportions
// kept; any picture stays at the cell's top-left corner, a smaller one uncentred.
QRectF ajusterMiniature(QSizeF naturelle, QRectF cellule);

} // namespace ajustement
