#pragma once
// Recognises a picture file from its first bytes, whatever its name says.
#include <QByteArray>
#include <QSize>
#include <QString>

class QIODevice;
class QImageReader;

namespace formatimage {

enum class Format { Inconnu, Jpeg, Bmp, DibSansEntete, Gif, Wmf, Heif, Jxl };

// Enough bytes for every check below.
constexpr int OctetsDebut = 64;

Format detecter(const QByteArray& debut);

// Qt's name for the reader of `f` (empty when Qt must guess from the content).
QByteArray nomQt(Format f);

// How `lecteur` finds its reader: by `format`, named from the first bytes, when there
// is one, so that no other plugin (and its libraries) is loaded to be asked; else by
// the content alone, whatever the file is called.
void choisirLecteur(QImageReader& lecteur, const QByteArray& format);

// A bare device-independent bitmap (the info header first, as the clipboard keeps
// it) becomes a BMP file by putting the 14-byte file header in front. Empty when the
// header does not hold together.
QByteArray dibEnBmp(const QByteArray& dib);

// Width and height a bare DIB declares; invalid when the header is not one.
QSize tailleDib(const QByteArray& debut);

// Logical screen size of a GIF; invalid when `debut` is not one.
QSize tailleGif(const QByteArray& debut);

// What a JPEG's frame header tells about the memory its decode needs.
struct InfoJpeg {
    bool ok = false;
    QSize taille;
    bool progressif = false;
    // Whole-picture coefficient buffers, allocated at full size whatever the output
    // scale: progressive files and those whose first scan holds only some components.
    qint64 octetsCoefficients = 0;
};
// Reads the header from the device's current position up to the first scan with
// libjpeg itself, as the decode will read it, and puts the position back.
InfoJpeg lireInfoJpeg(QIODevice* appareil);
InfoJpeg lireInfoJpeg(const QByteArray& octets);

// Kinds of content that are no picture to show, whatever the file is named.
enum class Contenu { Image, Svg, Svgz, Pdf, Texte };
// From the first bytes: `debut` should hold at least OctetsSniff of them when the file has.
constexpr int OctetsSniff = 1024;
Contenu genreContenu(const QByteArray& debut);

} // namespace formatimage

// The six formats of the format panel, "*.bmp;*.dib;*.gif;*.jpg;*.rle;*.wmf".
extern const char* const MotifSixFormats;
// Those six and every other picture format the loader reads (".jpeg", ".png",
// ".tif", ".webp"…): what the full-screen viewer steps through.
QString motifImagesLisibles();
