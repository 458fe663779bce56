#include "platform/inflation.h"

#include <zlib.h>

bool inflerBorne(const QByteArray& compresse, qint64 max, QByteArray* sortie)
{
    z_stream z{};
    // 32: zlib's own header or gzip's, whichever the stream starts with.
    if (inflateInit2(&z, 32 + MAX_WBITS) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compresse.constData()));
    z.avail_in = uInt(compresse.size());
    char morceau[65536];
    int etat = Z_OK;
    while (etat == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(morceau);
        z.avail_out = sizeof morceau;
        etat = inflate(&z, Z_NO_FLUSH);
        sortie->append(morceau, qsizetype(sizeof morceau - z.avail_out));
        if (sortie->size() > max)
            etat = Z_MEM_ERROR;
    }
    inflateEnd(&z);
    return etat == Z_STREAM_END;
}
