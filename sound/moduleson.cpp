#include "sound/moduleson.h"

#include "platform/modulesprives.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QtDebug>
#include <atomic>
#include <mutex>

namespace moduleson {
namespace {

struct Etat {
    std::mutex verrou;
    bool essaye = false;
    const PointsSon* points = nullptr;
    QString erreur;
};

Etat& etat()
{
    static Etat e;
    return e;
}

std::atomic_bool charge_{false};

void charger(Etat& e)
{
    QString raison;
    using Entree = const PointsSon* (*)();
    if (const auto f = reinterpret_cast<Entree>(
            modulesprives::entree(QStringLiteral("libormelle-son.so"), ORMELLE_SYMBOLE_SON, &raison)))
        e.points = f();
    if (e.points) {
        charge_ = true;
        return;
    }
    e.erreur = QStringLiteral("Le module de son d’Ormelle n’a pu être chargé (%1) : la musique et les sons "
                              "sont indisponibles.")
                   .arg(raison);
    qWarning("%s", qPrintable(e.erreur));
}

} // namespace

const PointsSon* points(QString* erreur)
{
    Etat& e = etat();
    const std::lock_guard<std::mutex> garde(e.verrou);
    if (!e.essaye) {
        e.essaye = true;
        charger(e);
    }
    if (!e.points && erreur)
        *erreur = e.erreur;
    return e.points;
}

bool charge()
{
    return charge_;
}

void precharger(QObject* contexte, std::function<void()> pret)
{
    if (charge_) {
        pret();
        return;
    }
    QThreadPool::globalInstance()->start([garde = QPointer<QObject>(contexte), pret = std::move(pret)] {
        points();
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application,
                [garde, pret] {
                    if (garde)
                        pret();
                },
                Qt::QueuedConnection);
    });
}

} // namespace moduleson
