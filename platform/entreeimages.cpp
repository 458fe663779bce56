// The image module's one exported entry: the loader finds the readers through it.
#include "platform/interfaceimages.h"
#include "platform/lecteurheif.h"
#include "platform/lecteurjxl.h"

namespace {
const PointsImages Points{&lecteurheif::lireTaille, &lecteurheif::lire, &lecteurjxl::lireTaille, &lecteurjxl::lire};
} // namespace

extern "C" __attribute__((visibility("default"))) const PointsImages* ormelle_points_images()
{
    return &Points;
}
