#include "app/bussession.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QFile>
#include <QtGlobal>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const Adresse = "DBUS_SESSION_BUS_ADDRESS";
} // namespace

bool busSessionPresent()
{
    if (!qEnvironmentVariableIsEmpty(Adresse))
        return true;
    // Where the D-Bus library looks when no address is given.
    const QByteArray execution = qgetenv("XDG_RUNTIME_DIR");
    if (execution.isEmpty())
        return false;
    struct stat etat {};
    return ::stat(QFile::encodeName(QString::fromLocal8Bit(execution) + QStringLiteral("/bus")).constData(), &etat) == 0
           && S_ISSOCK(etat.st_mode) && etat.st_uid == ::getuid();
}

SansLancementBus::SansLancementBus()
{
    if (busSessionPresent())
        return;
    // Not a socket: the connection is refused on the spot.
    pose_ = qputenv(Adresse, "unix:path=/dev/null");
}

void SansLancementBus::liberer()
{
    if (!pose_)
        return;
    // The bridge looks once, on first asking; asked here, it has looked when the variable goes.
    if (QCoreApplication::instance())
        (void)QAccessible::isActive();
    pose_ = false;
    qunsetenv(Adresse);
}
