#include "platform/moduleimages.h"

#include "platform/interfaceimages.h"
#include "platform/modulesprives.h"

#include <QtDebug>
#include <mutex>

// Defined only where the readers are built into the program itself (the fuzzers).
extern "C" const PointsImages* ormelle_points_images() __attribute__((weak));

namespace moduleimages {
namespace {

struct Etat {
    std::once_flag fait;
    const PointsImages* points = nullptr;
};

Etat& etat()
{
    static Etat e;
    return e;
}

const PointsImages* charger()
{
    if (ormelle_points_images)
        return ormelle_points_images();
    QString raison;
    using Entree = const PointsImages* (*)();
    if (const auto f = reinterpret_cast<Entree>(
            modulesprives::entree(QStringLiteral("libormelle-images.so"), ORMELLE_SYMBOLE_IMAGES, &raison)))
        if (const PointsImages* points = f())
            return points;
    qWarning("Ormelle's image module could not be loaded: HEIF, AVIF and JPEG XL pictures are unreadable (%s).",
             qPrintable(raison));
    return nullptr;
}

const PointsImages* points()
{
    Etat& e = etat();
    std::call_once(e.fait, [&e] { e.points = charger(); });
    return e.points;
}

QString texteModuleAbsent()
{
    return QStringLiteral("Lecture des images HEIF, AVIF et JPEG XL impossible : le module d’Ormelle qui les "
                          "lit n’a pu être chargé");
}

} // namespace

QSize lireTaille(formatimage::Format format, QIODevice* appareil)
{
    const PointsImages* p = points();
    if (!p)
        return {};
    return format == formatimage::Format::Jxl ? p->tailleJxl(appareil) : p->tailleHeif(appareil);
}

ResultatImage lire(formatimage::Format format, QIODevice* appareil, const QSize& cible,
                   const dimensions::Budget& budget, const std::atomic<bool>* annulation)
{
    const PointsImages* p = points();
    if (!p) {
        ResultatImage r;
        r.erreur = texteModuleAbsent();
        return r;
    }
    const PointsImages::Lecture lecture = format == formatimage::Format::Jxl ? p->lireJxl : p->lireHeif;
    return lecture(appareil, cible, budget, annulation);
}

} // namespace moduleimages
