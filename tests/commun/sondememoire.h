#pragma once
// Peak memory of one picture decode, measured in a child process: the test program
// starts itself again with the file to decode in its environment, the child resets
// its resident high-water mark, decodes, and prints how far getrusage saw it rise.
// A fresh process (not a fork) keeps the parent's heap out of the figure and lets
// the child run AddressSanitizer without a quarantine that would hold freed buffers.
#include "platform/chargeurimage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSize>

#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

namespace sonde {

struct Mesure {
    bool lancee = false;  // the child ran to its end
    qint64 octetsPic = 0; // rise of the resident peak during the decode
    bool image = false;
    QString erreur;
};

inline qint64 residentMaintenant()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return qint64(resident) * sysconf(_SC_PAGESIZE);
}

// The resident high-water mark of this process starts again from what is resident
// now; false where the kernel does not let a process do so.
inline bool remettrePic()
{
    QFile remise(QStringLiteral("/proc/self/clear_refs"));
    return remise.open(QIODevice::WriteOnly) && remise.write("5") == 1;
}

// How far the resident peak rose above what is resident now: call remettrePic first.
inline qint64 picDepuisRemise(qint64 residentAvant)
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return qint64(u.ru_maxrss) * 1024 - residentAvant;
}

// Call first thing after the application object: true when this process is the child.
inline bool executerSiEnfant()
{
    const QString fichier = qEnvironmentVariable("ORMELLE_SONDE_FICHIER");
    if (fichier.isEmpty())
        return false;
    const QStringList t = qEnvironmentVariable("ORMELLE_SONDE_CIBLE").split(u'x');
    const QSize cible = t.size() == 2 ? QSize(t[0].toInt(), t[1].toInt()) : QSize();
    QFile remise(QStringLiteral("/proc/self/clear_refs"));
    if (remise.open(QIODevice::WriteOnly))
        remise.write("5"); // the high-water mark starts again from what is resident now
    remise.close();
    const qint64 avant = residentMaintenant();
    const ResultatImage r = chargerImage(fichier, cible);
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("pic %lld image %d\n%s\n", static_cast<long long>(qint64(u.ru_maxrss) * 1024 - avant), r.ok() ? 1 : 0,
                qPrintable(r.erreur));
    std::fflush(stdout);
    return true;
}

inline Mesure mesurer(const QString& fichier, const QSize& cible)
{
    QProcess enfant;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORMELLE_SONDE_FICHIER"), fichier);
    env.insert(QStringLiteral("ORMELLE_SONDE_CIBLE"), QStringLiteral("%1x%2").arg(cible.width()).arg(cible.height()));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0:quarantine_size_mb=0"));
    enfant.setProcessEnvironment(env);
    enfant.start(QCoreApplication::applicationFilePath(), {});
    Mesure m;
    if (!enfant.waitForFinished(-1) || enfant.exitCode() != 0)
        return m;
    const QStringList lignes = QString::fromUtf8(enfant.readAllStandardOutput()).split(u'\n');
    const QStringList mots = lignes.value(0).split(u' ');
    if (mots.size() < 4 || mots[0] != u"pic")
        return m;
    m.lancee = true;
    m.octetsPic = mots[1].toLongLong();
    m.image = mots[3] == u"1";
    m.erreur = lignes.value(1);
    return m;
}

constexpr qint64 PicMax = 512LL * 1024 * 1024;

} // namespace sonde
