#pragma once
// Colour management: pictures are brought from the profile they carry to the
// display's (or to sRGB, for what leaves the program) by Little CMS. Every
// function is safe to call from any thread.
#include <QByteArray>
#include <QImage>
#include <memory>

namespace couleurs {

// The display's ICC profile, process-wide. Empty, or a profile Little CMS turns
// down or that is not an RGB output profile: the display is taken as sRGB.
void setProfilEcran(const QByteArray& icc);
QByteArray profilEcran();

enum class Sortie { Ecran, Srgb };

// Converts an RGB32 picture in place from `iccSource` (empty: sRGB) to the display
// or to sRGB. A profile Little CMS turns down, or one that is not RGB, leaves the
// pixels as they are; so does a source that is the target already.
void convertir(QImage& image, const QByteArray& iccSource, Sortie sortie);

// The colour space an ICC profile declares, from its header alone.
bool estCmjn(const QByteArray& icc);

// A conversion from CMYK bytes (4 a pixel, stored inverted when `inverse`, as
// Adobe's JPEGs hold them) to RGB32 pixels; shared between threads as is.
class TransformationCmjn {
public:
    virtual ~TransformationCmjn() = default;
    virtual void appliquer(const uchar* cmjn, uchar* rgb32, int pixels) const = 0;
};
// Null when the profile is not a CMYK one Little CMS accepts.
std::shared_ptr<const TransformationCmjn> transformationCmjn(const QByteArray& icc, bool inverse, Sortie sortie);

} // namespace couleurs
