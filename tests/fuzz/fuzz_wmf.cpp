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
    const QSize taille(160, 120);
    const dimensions::Budget budget = dimensions::budgetPour(taille);
    const wmf::ResultatWmf r = wmf::rendre(octets, taille, Qt::white, budget);
    if (info.ok && !r.ok() && r.erreur.isEmpty())
        abort(); // a readable header must give a picture or a reason
    // Objects alive at once and drawing work past their budgets are faults, however
    // the file was built.
    if (r.octetsObjetsMax > budget.octetsObjetsWmf || r.travail > budget.travailWmf)
        abort();
    return 0;
}
