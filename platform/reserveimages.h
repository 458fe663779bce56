#pragma once
// Pixel buffers for the large pictures a slideshow decodes one after the other.
// A buffer the kernel has just mapped costs a page fault on every first write;
// the buffer of a picture no longer shown is handed to the next decode instead,
// once written over whole. A few bytes' worth are kept free, never more.
#include <QImage>
#include <QSize>

namespace reserveimages {

// An RGB32 picture of `taille` whose buffer may have held another picture: the
// caller writes every pixel. Null when memory runs out.
QImage imageRgb32(const QSize& taille);

// Bytes kept free for the next pictures, and the bound on them (0 keeps none).
qint64 octetsLibres();
void setPlafond(qint64 octets);

// Gives back to the system the buffers nobody took since the last call: called now
// and then, it keeps a running slideshow's buffers and lets an idle viewer's go.
void rendreLesAnciens();

} // namespace reserveimages
