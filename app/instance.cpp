#include "app/instance.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString dossierVerrou(const QString& demande)
{
    if (!demande.isEmpty())
        return demande;
    const QString execution = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return execution.isEmpty() ? QDir::tempPath() : execution;
}
}

Instance::Instance(const QString& dossier)
    : chemin_(dossierVerrou(dossier) + QStringLiteral("/ormelle.lock")), verrou_(chemin_)
{
    // Never stale by age: a lock only goes with the process that holds it.
    verrou_.setStaleLockTime(0);
    premiere_ = verrou_.tryLock(0);
}
