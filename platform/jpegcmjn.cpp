#include "platform/jpegcmjn.h"

#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"
#include "platform/jpegcommun.h"

#include <QBuffer>
#include <QImageReader>

#include <vector>

namespace {

// Held on the heap so that what the decode fills is in memory, not in registers,
// when libjpeg jumps back on an error.
struct Decodage {
    jpeg_decompress_struct info{};
    jpegcommun::ErreurJpeg erreur{};
    std::vector<JSAMPLE> ligne;
    QImage image;
};

// Decodes at `huitiemes`/8 into RGB32 rows, converting each row as it comes.
bool decoder(const QByteArray& octets, int huitiemes, const QByteArray& icc, couleurs::Sortie sortie,
             const std::atomic<bool>* annulation, Decodage& d)
{
    jpeg_decompress_struct& info = d.info;
    info.err = jpegcommun::brancher(d.erreur);
    jpeg_create_decompress(&info);
    if (setjmp(d.erreur.saut)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(octets.constData()), (unsigned long)octets.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_CMYK;
    info.scale_num = unsigned(huitiemes);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    // Adobe's writers store the inks inverted, and say so with their marker.
    const auto transformation = couleurs::transformationCmjn(icc, info.saw_Adobe_marker, sortie);
    if (info.output_components == 4 && transformation)
        d.image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (d.image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    d.image.fill(0xFFFFFFFF); // lcms writes the colours only: the fourth byte stays opaque
    d.ligne.resize(std::size_t(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        if (jpegcommun::annule(annulation)) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        JSAMPROW rangee = d.ligne.data();
        jpeg_read_scanlines(&info, &rangee, 1);
        transformation->appliquer(d.ligne.data(), d.image.scanLine(int(info.output_scanline) - 1),
                                  int(info.output_width));
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

ResultatImage echec(const QString& texte, const QSize& naturelle = {})
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
}

} // namespace

ResultatImage lireJpegCmjn(const QByteArray& octets, const QByteArray& icc, const QSize& cible,
                           const std::atomic<bool>* annulation, couleurs::Sortie sortie)
{
    const formatimage::InfoJpeg entete = formatimage::lireInfoJpeg(octets);
    if (!entete.ok)
        return echec(QStringLiteral("Image endommagée ou illisible"));
    QByteArray copie = octets;
    QBuffer tampon(&copie);
    tampon.open(QIODevice::ReadOnly);
    const QImageIOHandler::Transformations orientation = QImageReader(&tampon, "jpeg").transformation();
    const bool pivote = orientation & QImageIOHandler::TransformationRotate90;
    const QSize naturelle = pivote ? entete.taille.transposed() : entete.taille;
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    const QSize couverture = dimensions::tailleCouvrante(naturelle, cible, budget.pixels);
    const int huitiemes = dimensions::echelleJpeg(entete.taille, pivote ? couverture.transposed() : couverture,
                                                  entete.octetsCoefficients, budget);
    if (huitiemes <= 0)
        return echec(texteImageTropGrande(), naturelle);
    auto d = std::make_unique<Decodage>();
    if (!decoder(octets, huitiemes, icc, sortie, annulation, *d))
        return echec(QStringLiteral("Image endommagée ou illisible"), naturelle);
    QImage image = jpegcommun::orienter(std::move(d->image), orientation);
    if (image.width() > couverture.width() || image.height() > couverture.height())
        image = image.scaled(couverture, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ResultatImage r;
    r.image = image.convertToFormat(QImage::Format_RGB32);
    r.tailleNaturelle = naturelle;
    r.profilIcc = icc;
    return r;
}
