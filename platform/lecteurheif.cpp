#include "platform/lecteurheif.h"

#include <libheif/heif.h>
#include <lcms2.h>

#include <QIODevice>
#include <QtGlobal>

#include <climits>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace lecteurheif {

namespace {

// At the decode's peak: the YCbCr planes (up to 16 bits a sample), the interleaved
// RGB(A) libheif converts them to, and for a grid the tile being decoded.
constexpr qint64 OctetsParPixel = 12;

void initialiser()
{
    // Loads the decoder plugins once for the whole process; never undone, as other
    // threads may be decoding.
    static std::once_flag fait;
    std::call_once(fait, [] { heif_init(nullptr); });
}

struct Liberer {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};
using Contexte = std::unique_ptr<heif_context, Liberer>;
using Poignee = std::unique_ptr<const heif_image_handle, Liberer>;

qint64 aire(const QSize& t)
{
    return t.isValid() ? qint64(t.width()) * t.height() : 0;
}

QSize taille(const heif_image_handle* h)
{
    return QSize(heif_image_handle_get_width(h), heif_image_handle_get_height(h));
}

ResultatImage echec(const QString& texte, const QSize& naturelle = {})
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
}

QString texteErreur(const heif_error& e)
{
    if (e.subcode == heif_suberror_Security_limit_exceeded)
        return texteImageTropGrande();
    if (e.code == heif_error_Unsupported_feature || e.code == heif_error_Unsupported_filetype)
        return QStringLiteral("Format d'image non pris en charge");
    return QStringLiteral("Image endommagée ou illisible");
}

QString texteAnnulee()
{
    return QStringLiteral("Lecture annulée");
}

bool annulee(const std::atomic<bool>* annulation)
{
    return annulation && annulation->load(std::memory_order_relaxed);
}

// What libheif reads through; it must outlive the context.
struct Source {
    QIODevice* appareil;
    const std::atomic<bool>* annulation;
};

int64_t position(void* s)
{
    return static_cast<Source*>(s)->appareil->pos();
}

int lireOctets(void* donnees, size_t n, void* s)
{
    const Source* source = static_cast<Source*>(s);
    // A refused read makes libheif give up before the decode it was feeding.
    if (annulee(source->annulation) || n > size_t(std::numeric_limits<qint64>::max()))
        return 1;
    return source->appareil->read(static_cast<char*>(donnees), qint64(n)) == qint64(n) ? 0 : 1;
}

int chercher(int64_t pos, void* s)
{
    return static_cast<Source*>(s)->appareil->seek(pos) ? 0 : 1;
}

heif_reader_grow_status attendre(int64_t taille, void* s)
{
    return taille > static_cast<Source*>(s)->appareil->size() ? heif_reader_grow_status_size_beyond_eof
                                                              : heif_reader_grow_status_size_reached;
}

const heif_reader Lecteur = {1, position, lireOctets, chercher, attendre};

// The file's primary image, its headers read but nothing decoded.
Poignee ouvrirPrincipale(Source* source, Contexte* contexte, heif_error* erreur)
{
    initialiser();
    contexte->reset(heif_context_alloc());
    // The budget is checked here against the declared size; libheif's own smaller
    // limit would only hide that size behind an error.
    heif_context_set_maximum_image_size_limit(contexte->get(), INT_MAX);
    source->appareil->seek(0);
    *erreur = heif_context_read_from_reader(contexte->get(), &Lecteur, source, nullptr);
    heif_image_handle* principale = nullptr;
    if (erreur->code == heif_error_Ok)
        *erreur = heif_context_get_primary_image_handle(contexte->get(), &principale);
    return Poignee(principale);
}

// The smallest thumbnail that covers `couverture` in both directions, if any.
Poignee vignetteCouvrante(const heif_image_handle* principale, const QSize& couverture)
{
    const int n = heif_image_handle_get_number_of_thumbnails(principale);
    if (n <= 0 || !couverture.isValid() || couverture.isEmpty())
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<size_t>(n));
    heif_image_handle_get_list_of_thumbnail_IDs(principale, ids.data(), n);
    Poignee choisie;
    for (heif_item_id id : ids) {
        heif_image_handle* h = nullptr;
        if (heif_image_handle_get_thumbnail(principale, id, &h).code != heif_error_Ok)
            continue;
        Poignee vignette(h);
        const QSize t = taille(h);
        if (t.width() >= couverture.width() && t.height() >= couverture.height()
            && (!choisie || aire(t) < aire(taille(choisie.get()))))
            choisie = std::move(vignette);
    }
    return choisie;
}

cmsToneCurve* courbe(int transfert)
{
    // Parametric type 4: Y = (aX + b)^g above d, cX below.
    static const double bt709[] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
    static const double srgb[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    static const double smpte240[] = {1 / 0.45, 1 / 1.1115, 0.1115 / 1.1115, 1 / 4.0, 0.0913};
    switch (transfert) {
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
        return cmsBuildParametricToneCurve(nullptr, 4, bt709);
    case heif_transfer_characteristic_unspecified:
    case heif_transfer_characteristic_IEC_61966_2_1:
        return cmsBuildParametricToneCurve(nullptr, 4, srgb);
    case heif_transfer_characteristic_SMPTE_240M:
        return cmsBuildParametricToneCurve(nullptr, 4, smpte240);
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
        return cmsBuildGamma(nullptr, 2.2);
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
        return cmsBuildGamma(nullptr, 2.8);
    case heif_transfer_characteristic_linear:
        return cmsBuildGamma(nullptr, 1.0);
    default:
        return nullptr; // PQ, HLG and the logarithmic curves have no ICC form here
    }
}

bool commeSrgb(const heif_color_profile_nclx& n)
{
    const bool primaires = n.color_primaries == heif_color_primaries_ITU_R_BT_709_5
                           || n.color_primaries == heif_color_primaries_unspecified;
    switch (n.transfer_characteristics) {
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_unspecified:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_IEC_61966_2_1:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
        return primaires;
    default:
        return false;
    }
}

// An ICC profile for the colour an `nclx` box declares, from the primaries and
// white libheif decodes for it and its transfer curve.
QByteArray profilNclx(const heif_color_profile_nclx& n)
{
    cmsToneCurve* c = commeSrgb(n) ? nullptr : courbe(n.transfer_characteristics);
    if (!c || n.color_primary_white_y <= 0)
        return {};
    const cmsCIExyY blanc = {n.color_primary_white_x, n.color_primary_white_y, 1.0};
    const cmsCIExyYTRIPLE primaires = {{n.color_primary_red_x, n.color_primary_red_y, 1.0},
                                       {n.color_primary_green_x, n.color_primary_green_y, 1.0},
                                       {n.color_primary_blue_x, n.color_primary_blue_y, 1.0}};
    cmsToneCurve* courbes[3] = {c, c, c};
    cmsHPROFILE profil = cmsCreateRGBProfile(&blanc, &primaires, courbes);
    cmsFreeToneCurve(c);
    QByteArray icc;
    cmsUInt32Number octets = 0;
    if (profil && cmsSaveProfileToMem(profil, nullptr, &octets) && octets > 0) {
        icc.resize(qsizetype(octets));
        if (!cmsSaveProfileToMem(profil, icc.data(), &octets))
            icc.clear();
    }
    if (profil)
        cmsCloseProfile(profil);
    return icc;
}

QByteArray profil(const heif_image_handle* h)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(h);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(h)), Qt::Uninitialized);
        if (!icc.isEmpty() && heif_image_handle_get_raw_color_profile(h, icc.data()).code == heif_error_Ok)
            return icc;
        return {};
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(h, &nclx).code != heif_error_Ok || !nclx)
        return {};
    std::unique_ptr<heif_color_profile_nclx, Liberer> garde(nclx);
    return profilNclx(*nclx);
}

void libererImage(void* image)
{
    heif_image_release(static_cast<heif_image*>(image));
}

// Decodes `h` to 8-bit RGB(A) and hands libheif's pixels to a QImage without a copy.
QImage decoder(const heif_image_handle* h, heif_error* erreur)
{
    const bool alpha = heif_image_handle_has_alpha_channel(h);
    std::unique_ptr<heif_decoding_options, Liberer> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* image = nullptr;
    *erreur = heif_decode_image(h, &image, heif_colorspace_RGB,
                                alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    if (erreur->code != heif_error_Ok || !image)
        return {};
    int pas = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image, heif_channel_interleaved, &pas);
    const int l = heif_image_get_width(image, heif_channel_interleaved);
    const int hauteur = heif_image_get_height(image, heif_channel_interleaved);
    if (!pixels || l <= 0 || hauteur <= 0) {
        heif_image_release(image);
        *erreur = {heif_error_Decoder_plugin_error, heif_suberror_Unspecified, ""};
        return {};
    }
    const QImage::Format format = !alpha                                        ? QImage::Format_RGB888
                                  : heif_image_handle_is_premultiplied_alpha(h) ? QImage::Format_RGBA8888_Premultiplied
                                                                                : QImage::Format_RGBA8888;
    return QImage(pixels, l, hauteur, pas, format, libererImage, image);
}

} // namespace

QSize lireTaille(QIODevice* appareil)
{
    Source source{appareil, nullptr};
    Contexte contexte;
    heif_error erreur;
    const Poignee principale = ouvrirPrincipale(&source, &contexte, &erreur);
    if (!principale)
        return {};
    const QSize t = taille(principale.get());
    return t.isEmpty() ? QSize() : t;
}

ResultatImage lire(QIODevice* appareil, const QSize& cible, const dimensions::Budget& budget,
                   const std::atomic<bool>* annulation)
{
    Source fichier{appareil, annulation};
    Contexte contexte;
    heif_error erreur;
    const Poignee principale = ouvrirPrincipale(&fichier, &contexte, &erreur);
    if (!principale)
        return echec(annulee(annulation) ? texteAnnulee() : texteErreur(erreur));
    const QSize naturelle = taille(principale.get());
    if (naturelle.isEmpty())
        return echec(QStringLiteral("Image endommagée ou illisible"));
    const QSize couverture = dimensions::tailleCouvrante(naturelle, cible, budget.pixels);
    Poignee vignette = vignetteCouvrante(principale.get(), couverture);
    const heif_image_handle* source = vignette ? vignette.get() : principale.get();
    const qint64 stockee = aire(taille(source));
    if (stockee > budget.pixels || stockee * OctetsParPixel + aire(couverture) * 4 > budget.octets)
        return echec(texteImageTropGrande(), naturelle);
    if (annulee(annulation))
        return echec(texteAnnulee(), naturelle);
    ResultatImage r;
    r.tailleNaturelle = naturelle;
    r.image = decoder(source, &erreur);
    if (r.image.isNull())
        return echec(annulee(annulation) ? texteAnnulee() : texteErreur(erreur), naturelle);
    // The budget was checked against the size the file declares; a coded picture
    // larger than that is a damaged file, and must not reach the program.
    if (aire(r.image.size()) > stockee)
        return echec(QStringLiteral("Image endommagée ou illisible"), naturelle);
    if (annulee(annulation))
        return echec(texteAnnulee(), naturelle);
    // A thumbnail without a colour box of its own is in the primary image's colours.
    const bool declare = heif_image_handle_get_color_profile_type(source) != heif_color_profile_type_not_present;
    r.profilIcc = profil(declare ? source : principale.get());
    return r;
}

} // namespace lecteurheif
