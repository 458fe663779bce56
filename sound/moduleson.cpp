#include "sound/moduleson.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
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

const PointsSon* ouvrir(QLibrary& bibliotheque)
{
    bibliotheque.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!bibliotheque.load())
        return nullptr;
    using Entree = const PointsSon* (*)();
    const auto entree = reinterpret_cast<Entree>(bibliotheque.resolve(ORMELLE_SYMBOLE_SON));
    return entree ? entree() : nullptr;
}

void charger(Etat& e)
{
    const QString nom = QStringLiteral("libormelle-son.so");
    QStringList essais;
    if (QCoreApplication::instance())
        essais << QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../")
                                  + QStringLiteral(ORMELLE_DOSSIER_MODULES) + QLatin1Char('/') + nom);
    essais << nom;
    QString raison;
    for (const QString& chemin : essais) {
        // Never unloaded (a QLibrary gone leaves its library loaded): the players and
        // cues it made live on.
        QLibrary bibliotheque(chemin);
        e.points = ouvrir(bibliotheque);
        if (e.points) {
            charge_ = true;
            return;
        }
        if (raison.isEmpty())
            raison = bibliotheque.errorString();
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
