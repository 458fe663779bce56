#pragma once
// Finds the ICC profile a picture file embeds, from the file's own bytes: Qt's
// colour spaces leave out the profiles built on tables and the CMYK ones.
#include <QByteArray>
#include <QString>

class QIODevice;

namespace profilicc {

// A profile past this size is no camera's or scanner's: it is left out.
constexpr qint64 TailleMax = 4 * 1024 * 1024;

// What the headers of a picture tell about its colours.
struct InfoCouleurs {
    QByteArray icc;    // empty: none, damaged or too large (the picture is sRGB)
    bool cmjn = false; // a JPEG whose frame holds four components (CMYK or YCCK)
};

// Each reads from the device's start and leaves its position where it was.
QByteArray lireJpeg(QIODevice& appareil, bool* cmjn = nullptr); // APP2 "ICC_PROFILE" segments, in order
QByteArray lirePng(QIODevice& appareil);                        // the iCCP chunk, inflated
QByteArray lireWebp(QIODevice& appareil);                       // the ICCP chunk
QByteArray lireTiff(QIODevice& appareil);                       // tag 34675 of the first directory

// Picks the reader from the first bytes; nothing for other formats.
InfoCouleurs lire(QIODevice& appareil);

} // namespace profilicc
