#include "fullscreen/inhibitionecran.h"

#include "app/bussession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

namespace {
const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Chemin = QStringLiteral("/org/freedesktop/ScreenSaver");

QDBusMessage appel(const QString& methode)
{
    return QDBusMessage::createMethodCall(Service, Chemin, Service, methode);
}

void rendre(uint cookie)
{
    QDBusMessage message = appel(QStringLiteral("UnInhibit"));
    message << cookie;
    QDBusConnection::sessionBus().call(message, QDBus::NoBlock);
}
} // namespace

InhibitionEcran::InhibitionEcran(QObject* parent) : QObject(parent)
{
}

InhibitionEcran::~InhibitionEcran()
{
    liberer();
}

void InhibitionEcran::activer(const QString& raison)
{
    if (m_voulue)
        return;
    m_voulue = true;
    if (m_enAttente || m_aCookie || !busSessionPresent())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Nothing here waits for the bus: without a screen saver service the call simply
    // comes back as an error.
    QDBusMessage message = appel(QStringLiteral("Inhibit"));
    message << QStringLiteral("Ormelle") << raison;
    // The answer may come after the viewer has gone: the watcher belongs to the
    // application, so that a hold granted that late is still given back.
    auto* attente = new QDBusPendingCallWatcher(bus.asyncCall(message), QCoreApplication::instance());
    m_enAttente = true;
    QPointer<InhibitionEcran> demandeur(this);
    connect(attente, &QDBusPendingCallWatcher::finished, attente, [demandeur](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reponse = *w;
        if (demandeur)
            demandeur->m_enAttente = false;
        if (reponse.isError())
            return;
        if (demandeur)
            demandeur->recevoirCookie(reponse.value());
        else
            rendre(reponse.value());
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
    rendre(m_cookie);
}
