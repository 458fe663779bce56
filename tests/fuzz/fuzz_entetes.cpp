// libFuzzer entry point over the picture header sniffing: format and content
// recognition, the sizes a BMP, DIB, GIF or JPEG header declares, the size
// arithmetic fed with them, and the 16-bit BMP channel stretch.
#include "platform/correctionbmp.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"

#include <QtEndian>
#include <cstdlib>

namespace {

qint32 entier(const QByteArray& o, int pos)
{
    return pos + 4 <= o.size() ? qFromLittleEndian<qint32>(o.constData() + pos) : 0;
}

// Whatever the sizes, the arithmetic stays within its limits.
void verifierTailles(const QSize& naturelle, const QSize& cible, qint64 coefficients)
{
    const auto aire = [](const QSize& t) { return qint64(t.width()) * t.height(); };
    const QSize couvrante = dimensions::tailleCouvrante(naturelle, cible);
    if (couvrante.isValid()
        && (aire(couvrante) > dimensions::PixelsMax || couvrante.width() > naturelle.width()
            || couvrante.height() > naturelle.height() || couvrante.isEmpty()))
        abort();
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    const int huitiemes = dimensions::echelleJpeg(naturelle, couvrante, coefficients, budget);
    if (huitiemes < 0 || huitiemes > 8)
        abort();
    if (huitiemes > 0) {
        const QSize demandee = dimensions::tailleDemandeeJpeg(naturelle, huitiemes);
        if (dimensions::memoireJpeg(coefficients, naturelle, huitiemes, demandee, couvrante) > budget.octets)
            abort();
    }
    const QSize vectoriel = dimensions::tailleRenduVectoriel(QSizeF(naturelle) / 7.0, cible, 16000);
    if (vectoriel.isValid() && aire(vectoriel) > dimensions::PixelsMax)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray debut = octets.left(formatimage::OctetsSniff);
    const formatimage::Format format = formatimage::detecter(debut.left(formatimage::OctetsDebut));
    formatimage::genreContenu(debut);
    formatimage::nomQt(format);

    const QByteArray bmp = formatimage::dibEnBmp(octets);
    if (!bmp.isEmpty() && (bmp.size() != octets.size() + 14 || !bmp.startsWith("BM")))
        abort();
    const QSize dib = formatimage::tailleDib(debut);
    if (dib.isValid() && (dib.width() <= 0 || dib.height() <= 0))
        abort();
    const formatimage::InfoJpeg jpeg = formatimage::lireInfoJpeg(octets);
    if (jpeg.ok && (jpeg.taille.isEmpty() || jpeg.octetsCoefficients < 0))
        abort();
    if (jpeg.progressif && jpeg.ok && jpeg.octetsCoefficients == 0)
        abort(); // a progressive decode always keeps the whole picture's coefficients

    // Sizes as headers declare them, and as the fuzzer makes them up.
    const QSize cible(entier(octets, 0) & 0x7FFF, entier(octets, 4) & 0x7FFF);
    for (const QSize& t :
         {dib, formatimage::tailleGif(debut), jpeg.taille, QSize(entier(octets, 8), entier(octets, 12))})
        if (t.isValid())
            verifierTailles(t, cible, jpeg.octetsCoefficients);

    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(QRgb(entier(octets, 16))));
    correctionbmp::etendreCanaux16Bits(image, debut);
    if (image.size() != QSize(8, 4))
        abort();
    return 0;
}
