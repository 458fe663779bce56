#include "platform/lecteurjpeg.h"

#include "platform/formatimage.h"
#include "platform/jpegcommun.h"
#include "platform/reserveimages.h"

#include <QImageReader>

#include <memory>

namespace lecteurjpeg {

namespace {

// Held on the heap so that what the decode fills is in memory, not in registers,
// when libjpeg jumps back on an error.
struct Decodage {
    jpeg_decompress_struct info{};
    jpegcommun::ErreurJpeg erreur{};
    QImage image;
    bool pris = false; // a colour space this reader writes as RGB32
};

qint64 aire(const QSize& t)
{
    return qint64(t.width()) * t.height();
}

// Rows come out in batches: fewer calls, the same buffer.
constexpr int RangsParLot = 16;

// Decodes at `n`/8 into `d.image`; false on an error or once cancelled.
bool decoder(const uchar* octets, qint64 taille, int n, const std::atomic<bool>* annulation, Decodage& d)
{
    jpeg_decompress_struct& info = d.info;
    info.err = jpegcommun::brancher(d.erreur);
    jpeg_create_decompress(&info);
    if (setjmp(d.erreur.saut)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, octets, (unsigned long)taille);
    jpeg_read_header(&info, TRUE);
    d.pris = info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB
             || info.jpeg_color_space == JCS_GRAYSCALE;
    if (!d.pris) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // libjpeg sets the fourth byte to 0xFF: the rows are RGB32 as written.
    info.out_color_space = JCS_EXT_BGRX;
    info.scale_num = unsigned(n);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    d.image = reserveimages::imageRgb32(QSize(int(info.output_width), int(info.output_height)));
    if (d.image.isNull() || info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    JSAMPROW rangs[RangsParLot];
    while (info.output_scanline < info.output_height) {
        if (jpegcommun::annule(annulation)) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        const int premier = int(info.output_scanline);
        const int nombre = std::min<int>(RangsParLot, int(info.output_height) - premier);
        for (int i = 0; i < nombre; ++i)
            rangs[i] = d.image.scanLine(premier + i);
        jpeg_read_scanlines(&info, rangs, JDIMENSION(nombre));
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

ResultatImage echec(const QString& texte, const QSize& naturelle)
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
}

} // namespace

int huitiemes(const QSize& stockee, const QSize& couverture, qint64 octetsCoefficients,
              const dimensions::Budget& budget)
{
    if (stockee.isEmpty())
        return 0;
    auto tient = [&](int n) {
        return aire(dimensions::tailleDct(stockee, n)) <= budget.pixels
               && dimensions::memoireJpeg(octetsCoefficients, stockee, n, QSize(), couverture) <= budget.octets;
    };
    // Halves only: libjpeg-turbo's vector IDCTs cover 1/8, 1/4, 1/2 and the whole scale;
    // the eighths between run in plain C (6/8 of 4:2:0 chroma is a 12x12 IDCT) and cost
    // more than the final smooth scale they would spare.
    int n = 1;
    while (n < 8 && !couverture.isEmpty()) {
        const QSize t = dimensions::tailleDct(stockee, n);
        if (t.width() >= couverture.width() && t.height() >= couverture.height())
            break;
        n *= 2;
    }
    // A decode too large for memory is taken smaller rather than refused.
    while (n > 1 && !tient(n))
        n /= 2;
    return tient(n) ? n : 0;
}

std::optional<ResultatImage> lire(QFile& fichier, const QSize& cible, const dimensions::Budget& budget,
                                  qint64 octetsCoefficients, const std::atomic<bool>* annulation)
{
    fichier.seek(0);
    QImageReader entete(&fichier, "jpeg");
    // Named, not guessed: asking every plugin in turn whether it reads "jpeg" loads them all.
    formatimage::choisirLecteur(entete, "jpeg");
    const QSize stockee = entete.size();
    if (!stockee.isValid() || stockee.isEmpty())
        return std::nullopt;
    const QImageIOHandler::Transformations orientation = entete.transformation();
    const bool pivote = orientation & QImageIOHandler::TransformationRotate90;
    const QSize naturelle = pivote ? stockee.transposed() : stockee;
    const QSize couverture = dimensions::tailleCouvrante(naturelle, cible, budget.pixels);
    const int n = huitiemes(stockee, pivote ? couverture.transposed() : couverture, octetsCoefficients, budget);
    if (n <= 0)
        return echec(texteImageTropGrande(), naturelle);
    // Read whole rather than mapped: a file cut short under a mapping would kill the
    // program. Past the budget's share, Qt's reader streams it instead.
    if (fichier.size() > budget.octetsDecompresses)
        return std::nullopt;
    fichier.seek(0);
    const QByteArray lu = fichier.readAll();
    if (lu.isEmpty())
        return echec(QStringLiteral("Lecture du fichier impossible"), naturelle);
    auto d = std::make_unique<Decodage>();
    const bool ok = decoder(reinterpret_cast<const uchar*>(lu.constData()), lu.size(), n, annulation, *d);
    if (!ok && !d->pris)
        return std::nullopt;
    if (!ok)
        return echec(jpegcommun::annule(annulation) ? texteLectureAnnulee()
                                                    : QStringLiteral("Image endommagée ou illisible"),
                     naturelle);
    ResultatImage r;
    r.image = jpegcommun::orienter(std::move(d->image), orientation);
    r.tailleNaturelle = naturelle;
    return r;
}

} // namespace lecteurjpeg
