// libFuzzer entry point over the picture loader as the picture service's decode job
// calls it: the natural size from the header, then a decode fitted to a target size,
// and the first frames of what may be animated. The heap is watched while it runs:
// a rise past the decode's budget is a fault, however the file was built.
#include "platform/chargeurimage.h"
#include "platform/lecteuranimation.h"
#include "platform/dimensionsimage.h"
#include "platform/formatimage.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <sanitizer/allocator_interface.h>
#include <unistd.h>

namespace {

std::atomic<qint64> vivants{0};
std::atomic<qint64> pic{0};

void apresAllocation(const volatile void*, size_t taille)
{
    const qint64 v = vivants.fetch_add(qint64(taille), std::memory_order_relaxed) + qint64(taille);
    qint64 p = pic.load(std::memory_order_relaxed);
    while (v > p && !pic.compare_exchange_weak(p, v, std::memory_order_relaxed)) {
    }
}

void avantLiberation(const volatile void* p)
{
    // Still allocated here: the hook runs before the block is given back.
    const qint64 taille = qint64(__sanitizer_get_allocated_size(const_cast<const void*>(p)));
    vivants.fetch_sub(taille, std::memory_order_relaxed);
}

QString chemin(bool dessin)
{
    static const QString dossier = [] {
        const QString d = QDir(QDir::tempPath()).filePath(QStringLiteral("fuzz_chargeur_%1").arg(getpid()));
        QDir().mkpath(d);
        return d;
    }();
    return dossier + (dessin ? QStringLiteral("/entree.svg") : QStringLiteral("/entree.img"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // SVG text and Qt's image plugins want an application object.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    __sanitizer_install_malloc_and_free_hooks(apresAllocation, avantLiberation);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Drawings are read as such under their own suffix only: odd sizes try that name.
    const QString fichier = chemin(size % 2 == 1);
    {
        QFile f(fichier);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const QSize cible(800, 600);
    const dimensions::Budget budget = dimensions::budgetPour(cible);
    const qint64 depart = vivants.load();
    pic.store(depart);
    lireTailleNaturelle(fichier);
    ResultatImage r = chargerImage(fichier, cible);
    if (!r.ok() && r.erreur.isEmpty())
        abort(); // no picture must say why
    if (r.ok() && qint64(r.image.width()) * r.image.height() > budget.pixels)
        abort();
    if (r.animable) {
        LecteurAnimation animation(fichier, cible, Qt::black);
        QImage trame;
        int delai = 0;
        for (int i = 0; i < 3 && animation.lire(&trame, &delai); ++i) {
        }
    }
    r = ResultatImage();
    const qint64 hausse = pic.load() - depart;
    if (hausse > budget.octets) {
        std::fprintf(stderr, "fuzz_chargeur: the heap rose by %lld MiB, the budget is %lld MiB\n",
                     static_cast<long long>(hausse >> 20), static_cast<long long>(budget.octets >> 20));
        abort();
    }
    return 0;
}
