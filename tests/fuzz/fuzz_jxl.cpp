// libFuzzer entry point over the JPEG XL reader: size reading and a whole decode,
// within the loader's budget.
#include "platform/formatimage.h"
#include "platform/lecteurjxl.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (formatimage::detecter(octets.left(formatimage::OctetsDebut)) != formatimage::Format::Jxl)
        return 0;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::ReadOnly);
    lecteurjxl::lireTaille(&tampon);
    tampon.seek(0);
    const QSize cible(160, 120);
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    const ResultatImage r = lecteurjxl::lire(&tampon, cible, budget);
    if (!r.ok() && r.erreur.isEmpty())
        abort(); // an unreadable file must say why
    if (r.ok() && (r.image.size() != r.tailleNaturelle || qint64(r.image.width()) * r.image.height() > budget.pixels))
        abort();
    return 0;
}
