#include "app/instance.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>

namespace {
QString dossierVerrou(const QString& demande)
{
    if (!demande.isEmpty())
        return demande;
    const QString execution = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return execution.isEmpty() ? QDir::tempPath() : execution;
}
} // namespace

Instance::Instance(const QString& dossier)
    : chemin_(dossierVerrou(dossier) + QStringLiteral("/ormelle.lock")), verrou_(chemin_)
{
    // Never stale by age: a lock only goes with the process that holds it.
    verrou_.setStaleLockTime(0);
    premiere_ = verrou_.tryLock(0);
    qint64 pid = 0;
    QString hote, appli;
    // A dead owner's lock that could not be cleared (the folder turned read-only) is no instance.
    autre_ = !premiere_ && verrou_.error() == QLockFile::LockFailedError
             && !(verrou_.getLockInfo(&pid, &hote, &appli) && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}
