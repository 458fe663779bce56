// The sound module's one exported entry: the program finds everything else through it.
#include "sound/sonscourts.h"
#include "sound/interfaceson.h"
#include "sound/lecteurson.h"

namespace {
std::unique_ptr<InterfaceLecteur> creerLecteur(const QString& nom, RappelsLecteur rappels)
{
    return std::make_unique<LecteurSon>(nom, std::move(rappels));
}

const PointsSon Points{&creerLecteur, &jouerCue};
} // namespace

extern "C" __attribute__((visibility("default"))) const PointsSon* ormelle_points_son()
{
    return &Points;
}
