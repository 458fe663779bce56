// libFuzzer entry point over the HEIC/HEIF and AVIF reader: size reading and a decode
// for a small thumbnail, within the loader's budget.
#include "platform/formatimage.h"
#include "platform/lecteurheif.h"

#include <cstdlib>

// The loader's answer for a picture past its budget; the loader itself is not linked here.
QString texteImageTropGrande()
{
    return QStringLiteral("Image trop grande pour être affichée");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (formatimage::detecter(octets.left(formatimage::OctetsDebut)) != formatimage::Format::Heif)
        return 0;
    lecteurheif::lireTaille(octets);
    const QSize cible(160, 120);
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    const ResultatImage r = lecteurheif::lire(octets, cible, budget);
    if (!r.ok() && r.erreur.isEmpty())
        abort(); // an unreadable file must say why
    if (r.ok() && qint64(r.image.width()) * r.image.height() > budget.pixels)
        abort();
    return 0;
}
