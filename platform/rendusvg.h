#pragma once
// SVG drawings rendered a band of rows at a time, so that a render nobody wants any
// more stops between two bands rather than at the end.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <atomic>

namespace rendusvg {

// Renders the drawing `texte` at the smallest size that covers `cible` within
// `budget`, laid on `fond`. Once `annulation` is set, the text is read no further
// and no other band is drawn; the result is then an error.
ResultatImage rendre(QByteArray texte, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                     const std::atomic<bool>* annulation);

} // namespace rendusvg
