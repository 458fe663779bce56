#pragma once
// Recognises a picture file from its first bytes, whatever its name says.
#include <QByteArray>
#include <QSize>
#include <QString>

namespace formatimage {

enum class Format { Inconnu, Jpeg, Bmp, DibSansEntete, Gif, Wmf };

// Enough bytes for every check below.
constexpr int OctetsDebut = 64;

Format detecter(const QByteArray& debut);

// Qt's name for the reader of `f` (empty when Qt must guess from the content).
QByteArray nomQt(Format f);

// A bare device-independent bitmap (the info header first, as the clipboard keeps
// it) becomes a BMP file by putting the 14-byte file header in front. Empty when the
// header does not hold together.
QByteArray dibEnBmp(const QByteArray& dib);

// Width and height a bare DIB declares; invalid when the header is not one.
QSize tailleDib(const QByteArray& debut);

// Logical screen size of a GIF; invalid when `debut` is not one.
QSize tailleGif(const QByteArray& debut);

} // namespace formatimage

// The six formats of the format panel, "*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf".
extern const char* const MotifSixFormats;
// Those six and every other picture format the loader reads (".jpeg", ".png",
// ".tif", ".webp"…): what the full-screen viewer steps through.
QString motifImagesLisibles();
