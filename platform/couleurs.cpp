#include "platform/couleurs.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

namespace couleurs {

namespace {

// What a cached conversion goes from: RGB, or CMYK stored plain or inverted.
enum class Genre { Rgb, Cmjn, CmjnInverse };

struct Cle {
    QByteArray source;
    Sortie sortie;
    Genre genre;
    bool operator<(const Cle& o) const
    {
        return std::tie(sortie, genre, source) < std::tie(o.sortie, o.genre, o.source);
    }
};

// A transform built without lcms's one-pixel cache: cmsDoTransform then writes
// nothing inside it, so every worker can run it at once.
class Transformation : public TransformationCmjn {
public:
    explicit Transformation(cmsHTRANSFORM t) : t_(t) {}
    ~Transformation() override { cmsDeleteTransform(t_); }
    Transformation(const Transformation&) = delete;
    Transformation& operator=(const Transformation&) = delete;
    void appliquer(const uchar* source, uchar* cible, int pixels) const override
    {
        cmsDoTransform(t_, source, cible, cmsUInt32Number(pixels));
    }

private:
    cmsHTRANSFORM t_;
};

using PtrTransformation = std::shared_ptr<const Transformation>;

// A folder of photos from one camera needs one entry; past this many the cache
// starts again rather than grow with every profile met.
constexpr std::size_t EntreesMax = 32;

void silence(cmsContext, cmsUInt32Number, const char*)
{
}

struct Etat {
    std::mutex verrou;
    cmsContext contexte = nullptr;
    QByteArray ecran;      // as given
    bool ecranSrgb = true; // the display taken as sRGB (none, refused, or sRGB itself)
    std::map<Cle, PtrTransformation> cache;

    Etat()
    {
        contexte = cmsCreateContext(nullptr, nullptr);
        // A damaged profile is an everyday thing in photos: no word about it.
        cmsSetLogErrorHandlerTHR(contexte, silence);
    }
};

Etat& etat()
{
    // Never destroyed: workers may still convert while the process ends.
    static Etat* e = new Etat;
    return *e;
}

// A conversion that moves no colour by more than a level is not worth a pass over
// the pixels: a photo tagged with sRGB on an sRGB display.
bool identite(cmsHTRANSFORM t)
{
    uchar essais[125 * 4];
    uchar* p = essais;
    for (int r = 0; r < 5; ++r)
        for (int v = 0; v < 5; ++v)
            for (int b = 0; b < 5; ++b, p += 4) {
                p[0] = uchar(std::min(255, b * 64));
                p[1] = uchar(std::min(255, v * 64));
                p[2] = uchar(std::min(255, r * 64));
                p[3] = 0xFF;
            }
    uchar sortie[125 * 4];
    std::memcpy(sortie, essais, sizeof essais);
    cmsDoTransform(t, essais, sortie, 125);
    for (std::size_t i = 0; i < sizeof essais; ++i)
        if (std::abs(int(sortie[i]) - int(essais[i])) > 1)
            return false;
    return true;
}

cmsHPROFILE ouvrirProfil(cmsContext c, const QByteArray& icc)
{
    if (icc.isEmpty())
        return cmsCreate_sRGBProfileTHR(c);
    return cmsOpenProfileFromMemTHR(c, icc.constData(), cmsUInt32Number(icc.size()));
}

// Builds the conversion with the lock held; null when there is nothing to do or
// when a profile does not serve.
PtrTransformation construire(Etat& e, const Cle& cle)
{
    const bool versSrgb = cle.sortie == Sortie::Srgb || e.ecranSrgb;
    if (cle.genre == Genre::Rgb && (versSrgb ? cle.source.isEmpty() : cle.source == e.ecran))
        return {};
    cmsHPROFILE source = ouvrirProfil(e.contexte, cle.source);
    cmsHPROFILE cible = ouvrirProfil(e.contexte, versSrgb ? QByteArray() : e.ecran);
    const bool cmjn = cle.genre != Genre::Rgb;
    cmsHTRANSFORM t = nullptr;
    if (source && cible && cmsGetColorSpace(source) == (cmjn ? cmsSigCmykData : cmsSigRgbData)) {
        const cmsUInt32Number entree =
            !cmjn ? TYPE_BGRA_8 : (cle.genre == Genre::CmjnInverse ? TYPE_CMYK_8_REV : TYPE_CMYK_8);
        t = cmsCreateTransformTHR(e.contexte, source, entree, cible, TYPE_BGRA_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    }
    if (source)
        cmsCloseProfile(source);
    if (cible)
        cmsCloseProfile(cible);
    if (!t)
        return nullptr;
    auto transformation = std::make_shared<const Transformation>(t);
    return !cmjn && identite(t) ? nullptr : transformation;
}

PtrTransformation trouver(const Cle& cle)
{
    Etat& e = etat();
    std::lock_guard<std::mutex> garde(e.verrou);
    const auto it = e.cache.find(cle);
    if (it != e.cache.end())
        return it->second;
    if (e.cache.size() >= EntreesMax)
        e.cache.clear();
    PtrTransformation t = construire(e, cle);
    e.cache.emplace(cle, t);
    return t;
}

// An RGB profile the display can be drawn through: sRGB can be converted to it,
// and not as it is (an sRGB display then costs nothing).
bool ecranUtilisable(cmsContext c, const QByteArray& icc)
{
    cmsHPROFILE ecran = cmsOpenProfileFromMemTHR(c, icc.constData(), cmsUInt32Number(icc.size()));
    if (!ecran)
        return false;
    cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(c);
    cmsHTRANSFORM t = nullptr;
    if (cmsGetColorSpace(ecran) == cmsSigRgbData)
        t = cmsCreateTransformTHR(c, srgb, TYPE_BGRA_8, ecran, TYPE_BGRA_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    const bool utile = t && !identite(t);
    if (t)
        cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(ecran);
    return utile;
}

} // namespace

void setProfilEcran(const QByteArray& icc)
{
    Etat& e = etat();
    std::lock_guard<std::mutex> garde(e.verrou);
    e.ecran = icc;
    e.ecranSrgb = icc.isEmpty() || !ecranUtilisable(e.contexte, icc);
    // Conversions already handed out stay valid for those who hold them.
    e.cache.clear();
}

QByteArray profilEcran()
{
    Etat& e = etat();
    std::lock_guard<std::mutex> garde(e.verrou);
    return e.ecran;
}

void convertir(QImage& image, const QByteArray& iccSource, Sortie sortie)
{
    if (image.isNull() || image.format() != QImage::Format_RGB32)
        return;
    const PtrTransformation t = trouver({iccSource, sortie, Genre::Rgb});
    if (!t)
        return;
    // In place, row by row: lcms leaves the fourth byte (0xFF in RGB32) alone.
    for (int y = 0; y < image.height(); ++y) {
        uchar* ligne = image.scanLine(y);
        t->appliquer(ligne, ligne, image.width());
    }
}

bool estCmjn(const QByteArray& icc)
{
    // The data colour space sits at bytes 16 to 19 of the header.
    return icc.size() >= 128 && icc.mid(16, 4) == "CMYK";
}

std::shared_ptr<const TransformationCmjn> transformationCmjn(const QByteArray& icc, bool inverse, Sortie sortie)
{
    if (!estCmjn(icc))
        return nullptr;
    return trouver({icc, sortie, inverse ? Genre::CmjnInverse : Genre::Cmjn});
}

} // namespace couleurs
