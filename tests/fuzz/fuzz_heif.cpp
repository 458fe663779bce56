// libFuzzer entry point over the HEIC/HEIF and AVIF reader: size reading and a decode
// for a small thumbnail, within the loader's budget.
#include "platform/formatimage.h"
#include "platform/lecteurheif.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (formatimage::detecter(octets.left(formatimage::OctetsDebut)) != formatimage::Format::Heif)
        return 0;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::ReadOnly);
    lecteurheif::lireTaille(&tampon);
    const QSize cible(160, 120);
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    const ResultatImage r = lecteurheif::lire(&tampon, cible, budget);
    if (!r.ok() && r.erreur.isEmpty())
        abort(); // an unreadable file must say why
    if (r.ok() && qint64(r.image.width()) * r.image.height() > budget.pixels)
        abort();
    return 0;
}
