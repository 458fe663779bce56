#pragma once
// Picture files written byte by byte for the loader tests, and the comparison
// of a decoded picture with the one expected.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace essai {

bool ecrire(const QString& chemin, const QByteArray& octets);

// BITMAPINFOHEADER (40 bytes) + palette + `pixels`, with the 14-byte file header in front
// when `avecEnteteFichier` (a bare DIB otherwise).
QByteArray bmp(int largeur, int hauteur, int bits, quint32 compression, const QList<QRgb>& palette,
               const QByteArray& pixels, bool avecEnteteFichier = true);

// The same picture as a 24-bit bottom-up BMP.
QByteArray bmp24(const QImage& image, bool avecEnteteFichier = true);

// A one-frame GIF of palette indices (row by row), with `transparent` as the transparent index (-1: none).
QByteArray gif(int largeur, int hauteur, const QList<QRgb>& palette, const QByteArray& indices, int transparent);

// `image` as JPEG, with an EXIF orientation tag when `orientation` > 0.
QByteArray jpeg(const QImage& image, int orientation = 0, int qualite = 95);

// Empty when `obtenue` matches `attendue` within `ecartMax` on every channel of every pixel and
// `ecartMoyen` on average; otherwise what differs, with both pictures saved for a look.
QString comparer(const QImage& obtenue, const QImage& attendue, int ecartMax, double ecartMoyen, const QString& nom);

// `image` laid on an opaque `fond`, as the loader does for transparent pictures.
QImage surFond(const QImage& image, QRgb fond);

} // namespace essai
