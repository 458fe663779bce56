#include "fullscreen/inhibitionecran.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Chemin = QStringLiteral("/org/freedesktop/ScreenSaver");

bool serviceDisponible()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(Service).value();
}

QDBusMessage appel(const QString& methode)
{
    return QDBusMessage::createMethodCall(Service, Chemin, Service, methode);
}
} // namespace

InhibitionEcran::InhibitionEcran(QObject* parent) : QObject(parent) {}

InhibitionEcran::~InhibitionEcran()
{
    liberer();
}

void InhibitionEcran::activer(const QString& raison)
{
    if (m_voulue)
        return;
    m_voulue = true;
    if (m_enAttente || m_aCookie || !serviceDisponible())
        return;
    QDBusMessage message = appel(QStringLiteral("Inhibit"));
    message << QStringLiteral("Ormelle") << raison;
    // Asynchronous: a slow session bus must not hold the viewer back.
    auto* attente = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    m_enAttente = true;
    connect(attente, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        m_enAttente = false;
        const QDBusPendingReply<uint> reponse = *w;
        w->deleteLater();
        if (!reponse.isError())
            recevoirCookie(reponse.value());
    });
}

void InhibitionEcran::recevoirCookie(uint cookie)
{
    m_cookie = cookie;
    m_aCookie = true;
    if (!m_voulue) // released while the answer was on its way
        liberer();
}

void InhibitionEcran::liberer()
{
    m_voulue = false;
    if (!m_aCookie)
        return;
    m_aCookie = false;
    QDBusMessage message = appel(QStringLiteral("UnInhibit"));
    message << m_cookie;
    QDBusConnection::sessionBus().call(message, QDBus::NoBlock);
}
