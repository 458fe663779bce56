#include "platform/dimensionsimage.h"

#include "platform/chargeurimage.h"

#include <algorithm>
#include <cmath>

namespace dimensions {

namespace {

qint64 aire(const QSize& t)
{
    return qint64(t.width()) * t.height();
}

QSize reduireAire(const QSize& t, qint64 pixelsMax)
{
    if (aire(t) <= pixelsMax)
        return t;
    const double r = std::sqrt(double(pixelsMax) / double(aire(t)));
    qint64 large = std::max<qint64>(1, qint64(std::floor(t.width() * r)));
    qint64 haut = std::max<qint64>(1, qint64(std::floor(t.height() * r)));
    // A side held at one pixel leaves the whole area to the other: past some ratio
    // (50 million to one for 48 Mpx) the proportions give way to the limit.
    const qint64 limite = std::max<qint64>(1, pixelsMax);
    if (large >= haut)
        large = std::min(large, limite / haut);
    else
        haut = std::min(haut, limite / large);
    return QSize(int(large), int(haut));
}

// Qt's JPEG reader picks its DCT scale as ceil(8 / min(W / w, H / h)); asking for the
// exact libjpeg output makes it pick n/8 and leaves the final smooth scale to us. When
// the division is not exact, asking for the size rounded down still makes it pick n/8.
QSize tailleDemandee(const QSize& stockee, int n)
{
    const bool exacte = (qint64(stockee.width()) * n) % 8 == 0 && (qint64(stockee.height()) * n) % 8 == 0;
    if (exacte)
        return tailleDct(stockee, n);
    return QSize(std::max(1, int(qint64(stockee.width()) * n / 8)), std::max(1, int(qint64(stockee.height()) * n / 8)));
}

} // namespace

QSize tailleCouvrante(const QSize& naturelle, const QSize& cible, qint64 pixelsMax)
{
    if (naturelle.isEmpty())
        return {};
    QSize t = naturelle;
    if (cible.isValid() && !cible.isEmpty()) {
        const double s =
            std::max(double(cible.width()) / naturelle.width(), double(cible.height()) / naturelle.height());
        if (s < 1.0) {
            // Rounding cannot fall below the cible: W*s >= cw with cw whole.
            t = QSize(std::clamp(int(std::lround(naturelle.width() * s)), 1, naturelle.width()),
                      std::clamp(int(std::lround(naturelle.height() * s)), 1, naturelle.height()));
        }
    }
    return reduireAire(t, pixelsMax);
}

QSize tailleRenduVectoriel(const QSizeF& naturelle, const QSize& cible, int coteMax, qint64 pixelsMax)
{
    if (!(naturelle.width() > 0 && naturelle.height() > 0))
        return {};
    double s = 1.0;
    if (cible.isValid() && !cible.isEmpty())
        s = std::max(cible.width() / naturelle.width(), cible.height() / naturelle.height());
    // Cap each side first (a sliver of a picture can be very long), then the area.
    s = std::min({s, coteMax / naturelle.width(), coteMax / naturelle.height()});
    const QSize t(std::clamp(int(std::lround(naturelle.width() * s)), 1, coteMax),
                  std::clamp(int(std::lround(naturelle.height() * s)), 1, coteMax));
    return reduireAire(t, pixelsMax);
}

QSize tailleDct(const QSize& stockee, int huitiemes)
{
    return QSize(int((qint64(stockee.width()) * huitiemes + 7) / 8),
                 int((qint64(stockee.height()) * huitiemes + 7) / 8));
}

namespace {

int echelleCouvrante(const QSize& stockee, const QSize& couverture)
{
    if (couverture.isEmpty())
        return 8;
    for (int essai : {1, 2, 4}) {
        const QSize t = tailleDemandee(stockee, essai);
        if (t.width() >= couverture.width() && t.height() >= couverture.height())
            return essai;
    }
    return 8;
}

} // namespace

QSize tailleDecodageJpeg(const QSize& stockee, const QSize& couverture, qint64 pixelsMax)
{
    if (stockee.isEmpty() || couverture.isEmpty())
        return {};
    int n = echelleCouvrante(stockee, couverture);
    // A decode too large for memory is taken smaller rather than refused.
    while (n > 1 && aire(tailleDemandee(stockee, n)) > pixelsMax)
        n /= 2;
    return n == 8 ? QSize() : tailleDemandee(stockee, n);
}

QSize tailleDemandeeJpeg(const QSize& stockee, int huitiemes)
{
    return huitiemes >= 8 ? QSize() : tailleDemandee(stockee, huitiemes);
}

int echelleJpeg(const QSize& stockee, const QSize& couverture, qint64 octetsCoefficients, const Budget& budget)
{
    if (stockee.isEmpty())
        return 0;
    auto tient = [&](int n) {
        const QSize demandee = tailleDemandeeJpeg(stockee, n);
        const QSize decodee = demandee.isValid() ? demandee : tailleDct(stockee, n);
        return aire(decodee) <= budget.pixels
               && memoireJpeg(octetsCoefficients, stockee, n, demandee, couverture) <= budget.octets;
    };
    int n = echelleCouvrante(stockee, couverture);
    while (n > 1 && !tient(n))
        n /= 2;
    return tient(n) ? n : 0;
}

Budget budgetPour(const QSize& cible)
{
    // 12 bytes a shown pixel: the decoded picture, a rescale of it and the fitted copy.
    constexpr qint64 Mo = 1024 * 1024;
    const qint64 montre = cible.isValid() && !cible.isEmpty() ? aire(cible) : 0;
    Budget b;
    b.octets = std::clamp<qint64>(montre * 12, 384 * Mo, 448 * Mo);
    b.pixels = std::max<qint64>(PixelsMax, b.octets / 8);
    b.octetsDecompresses = 64 * Mo;
    b.octetsObjetsWmf = 96 * Mo;
    // Filling a picture's area costs about a millisecond a megapixel with Qt's raster
    // engine; 48 times the shown area, plus a fixed share, stays within seconds.
    b.travailWmf = std::max<qint64>(montre, 2'000'000) * 48 + 8'000'000;
    return b;
}

qint64 memoireJpeg(qint64 octetsCoefficients, const QSize& stockee, int huitiemes, const QSize& demandee,
                   const QSize& couverture)
{
    const QSize sortie = tailleDct(stockee, huitiemes);
    qint64 octets = octetsCoefficients + aire(sortie) * 4;
    if (demandee.isValid() && demandee != sortie)
        octets += aire(demandee) * 4;
    const QSize decodee = demandee.isValid() ? demandee : sortie;
    if (couverture.isValid() && aire(couverture) < aire(decodee))
        octets += aire(couverture) * 4;
    return octets;
}

} // namespace dimensions

// Here rather than with the loader: the readers in the image module give the same answers.
QString texteImageTropGrande()
{
    return QStringLiteral("Image trop grande pour être affichée");
}
QString texteImageTropComplexe()
{
    return QStringLiteral("Image trop complexe pour être affichée");
}
QString texteLectureAnnulee()
{
    return QStringLiteral("Lecture annulée");
}
