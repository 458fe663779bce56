#include "platform/lecteurs.h"

#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"
#include "platform/listedossier.h"

#include <QDir>
#include <QSet>
#include <QStorageInfo>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>

namespace {
// Volumes that hold no user files: kernel and memory file systems, snapshots of
// packages, and the overlays of containers.
bool estVirtuel(const QStorageInfo& v)
{
    static const QSet<QByteArray> virtuels = {
        "tmpfs",     "devtmpfs",    "proc",           "sysfs",  "cgroup",   "cgroup2",  "devpts",  "mqueue",
        "debugfs",   "tracefs",     "securityfs",     "pstore", "bpf",      "configfs", "fusectl", "hugetlbfs",
        "autofs",    "binfmt_misc", "efivarfs",       "ramfs",  "squashfs", "overlay",  "nsfs",    "rpc_pipefs",
        "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse"};
    return virtuels.contains(v.fileSystemType()) || !v.isValid() || !v.isReady();
}

QString libelleVolume(const QString& racine, const QString& nom)
{
    return nom.isEmpty() ? racine : racine + QStringLiteral("  [") + nom + QLatin1Char(']');
}
} // namespace

QString normaliserDossier(const QString& dossier)
{
    QString d = QDir::cleanPath(QDir::fromNativeSeparators(dossier));
    if (d.isEmpty())
        return d;
    if (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

QList<Lecteur> listerLecteurs()
{
    QList<Lecteur> lecteurs;
    const QString maison = normaliserDossier(QDir::homePath());
    lecteurs << Lecteur{maison, maison};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (estVirtuel(v))
            continue;
        const QString racine = normaliserDossier(v.rootPath());
        // Containers bind single files (hosts, resolv.conf) as volumes of their own.
        if (racine == maison || !QFileInfo(racine).isDir())
            continue;
        lecteurs << Lecteur{racine, libelleVolume(racine, v.name())};
    }
    return lecteurs;
}

int lecteurDe(const QList<Lecteur>& lecteurs, const QString& chemin)
{
    const QString c = normaliserDossier(chemin);
    int meilleur = -1;
    qsizetype longueur = -1;
    for (int i = 0; i < lecteurs.size(); ++i) {
        const QString& r = lecteurs.at(i).racine;
        const bool contient = c == r || r == QLatin1String("/") || c.startsWith(r + QLatin1Char('/'));
        if (contient && r.size() > longueur) {
            meilleur = i;
            longueur = r.size();
        }
    }
    return meilleur;
}

QString erreurLectureDossier(const QString& dossier)
{
    DIR* d = ::opendir(octetsDepuisChemin(dossier).constData());
    if (!d)
        return texteErreurSysteme(errno, ObjetErreur::Dossier);
    ::closedir(d);
    return QString();
}
