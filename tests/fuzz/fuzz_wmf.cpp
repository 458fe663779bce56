// libFuzzer entry point over the WMF reader: header probing, size reading and
// a full rendering at a small size.
#include "platform/wmf/lecteurwmf.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Text needs the font database, hence an application object.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!wmf::estWmf(octets.left(32)))
        return 0;
    const wmf::InfoWmf info = wmf::lireInfo(octets);
    const wmf::ResultatWmf r = wmf::rendre(octets, QSize(160, 120));
    if (info.ok && !r.ok() && r.erreur.isEmpty())
        abort();  // a readable header must give a picture or a reason
    return 0;
}
