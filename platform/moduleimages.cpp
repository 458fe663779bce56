#include "platform/moduleimages.h"

#include "platform/interfaceimages.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QtDebug>
#include <mutex>

#ifndef ORMELLE_DOSSIER_MODULES // a build with the readers inside never looks for the module
#define ORMELLE_DOSSIER_MODULES "lib/ormelle"
#endif

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

const PointsImages* ouvrir(QLibrary& bibliotheque)
{
    bibliotheque.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!bibliotheque.load())
        return nullptr;
    using Entree = const PointsImages* (*)();
    const auto entree = reinterpret_cast<Entree>(bibliotheque.resolve(ORMELLE_SYMBOLE_IMAGES));
    return entree ? entree() : nullptr;
}

const PointsImages* charger()
{
    if (ormelle_points_images)
        return ormelle_points_images();
    const QString nom = QStringLiteral("libormelle-images.so");
    QStringList essais;
    if (QCoreApplication::instance())
        essais << QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../")
                                  + QStringLiteral(ORMELLE_DOSSIER_MODULES) + QLatin1Char('/') + nom);
    essais << nom;
    QString raison;
    for (const QString& chemin : essais) {
        // Never unloaded (a QLibrary gone leaves its library loaded): the readers stay.
        QLibrary bibliotheque(chemin);
        if (const PointsImages* points = ouvrir(bibliotheque))
            return points;
        if (raison.isEmpty())
            raison = bibliotheque.errorString();
    }
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
