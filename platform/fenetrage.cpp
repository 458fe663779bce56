#include "platform/fenetrage.h"

#include <QGuiApplication>
#include <QString>

namespace fenetrage {
bool placementLibre()
{
    // "wayland", "wayland-egl", "wayland-xcomposite-…": every Wayland platform plugin.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
} // namespace fenetrage
