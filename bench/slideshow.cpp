// ormelle-bench slideshow FOLDER [--steps N] [--screen WxH] [--pause MS] [--random] [--capture FILE.png]
// Runs the full-screen viewer offscreen on FOLDER and times each slideshow
// step from the timer tick to the fitted picture ready, with the prefetch
// and without it, and follows the memory over the run. --pause adds a run with
// the prefetch racing a pause of that length. --capture saves the viewer
// mid-transition.
#include "outils.h"
#include "app/general.h"
#include "app/memoire.h"
#include "core/reglages.h"
#include "app/services.h"
#include "fullscreen/pleinecran.h"
#include "core/prechargeur.h"
#include "platform/formatimage.h"
#include "platform/listedossier.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

namespace {

// Resident memory in MB (kind "VmRSS" now, "VmHWM" the peak so far).
double memoire(const char* genre)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& ligne : f.readAll().split('\n'))
        if (ligne.startsWith(genre))
            return ligne.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

// CPU time of every thread of this process, in ms.
double cpuProcessus()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double cpuEnfants()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The reference beside each step: djpeg's full decode of the picture just shown,
// as a whole process (start-up included). Wall and CPU in ms, or nothing.
bool djpeg(const QString& fichier, double* mur, double* cpu)
{
    static const QString programme = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (programme.isEmpty())
        return false;
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    const double avant = cpuEnfants();
    QElapsedTimer chrono;
    chrono.start();
    p.start(programme, {fichier});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return false;
    *mur = chrono.nsecsElapsed() / 1e6;
    *cpu = cpuEnfants() - avant;
    return true;
}

void attendre(int ms)
{
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

// The pause between two steps: the workers finish what they were given.
void laisserPrecharger(PleinEcran& v)
{
    QCoreApplication::processEvents(); // the viewer hands out the work once its picture is up
    while (v.prechargeur().occupe())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

// Runs `action` and returns once the viewer has put a picture on screen; true when
// it had to wait for it (a picture ready ahead is shown within the action).
template <typename Action>
bool jusquAAffichage(PleinEcran& v, Action action)
{
    bool montree = false;
    const QMetaObject::Connection c = QObject::connect(&v, &PleinEcran::imageMontree, [&] { montree = true; });
    action();
    const bool attendue = !montree;
    while (!montree)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(c);
    return attendue;
}

// `pause` > 0: the next step comes that many ms after the picture is up, whatever the
// prefetch is doing (as the slideshow's own timer does); otherwise once it is idle.
void serie(PleinEcran& v, General& g, int etapes, bool prechargement, int pause = 0)
{
    v.setPrechargementActif(prechargement);
    v.prechargeur().vider();
    jusquAAffichage(v, [&] { v.AfficheImage(); });
    laisserPrecharger(v);
    std::vector<double> temps, cpu, refMur, refCpu;
    double rssMax = 0, rssDebut = 0;
    int attentes = 0;
    for (int k = 0; k < etapes; ++k) {
        QElapsedTimer chrono;
        const double cpuAvant = cpuProcessus();
        chrono.start();
        attentes += jusquAAffichage(v, [&] { v.etapeMinuterie(); }) ? 1 : 0;
        temps.push_back(chrono.nsecsElapsed() / 1e6);
        cpu.push_back(cpuProcessus() - cpuAvant);
        if (pause > 0)
            attendre(pause);
        else
            laisserPrecharger(v);
        double mur = 0, c = 0;
        if (!prechargement && djpeg(g.FichierCourant(), &mur, &c)) {
            refMur.push_back(mur);
            refCpu.push_back(c);
        }
        const double rss = memoire("VmRSS:");
        rssMax = std::max(rssMax, rss);
        if (k == std::min(etapes - 1, 20))
            rssDebut = rss;
    }
    std::printf("%-16s steps %d  median %.1f ms  p90 %.1f ms  max %.1f ms  RSS after 20 steps %.0f MB, "
                "max %.0f MB, end %.0f MB\n",
                pause > 0       ? "prefetch, pause"
                : prechargement ? "with prefetch"
                                : "without prefetch",
                etapes, quantile(temps, 0.5), quantile(temps, 0.9), quantile(temps, 1.0), rssDebut, rssMax,
                memoire("VmRSS:"));
    std::printf("%-16s CPU a step, median %.1f ms; steps that waited for their picture: %d\n", "", quantile(cpu, 0.5),
                attentes);
    if (!refMur.empty())
        std::printf("%-16s djpeg of the same file: median %.1f ms wall, %.1f ms CPU; step/djpeg %.2fx wall, "
                    "%.2fx CPU\n",
                    "", quantile(refMur, 0.5), quantile(refCpu, 0.5), quantile(temps, 0.5) / quantile(refMur, 0.5),
                    quantile(cpu, 0.5) / quantile(refCpu, 0.5));
}

} // namespace

int benchSlideshow(int argc, char** argv)
{
    const QStringList args = argumentsFenetres(argc, argv);
    // As the program does; the variable shows what it saves.
    if (!qEnvironmentVariableIsSet("ORMELLE_BENCH_MALLOC_DEFAUT"))
        reglerMemoireImages();
    QApplication appli(argc, argv);
    const QString dossier = args.value(0);
    const QStringList fichiers = listerFichiers(dossier, QString::fromLatin1(MotifSixFormats));
    if (fichiers.isEmpty()) {
        std::fprintf(stderr, "usage: ormelle-bench slideshow FOLDER [--steps N] [--screen WxH] [--pause MS] "
                             "[--random] [--capture FILE.png]\n(no picture in the folder)\n");
        return 2;
    }
    const int etapes = option(args, QStringLiteral("--steps"), QStringLiteral("100")).toInt();
    const int pause = option(args, QStringLiteral("--pause"), QStringLiteral("0")).toInt();
    const QStringList ecran = option(args, QStringLiteral("--screen"), QStringLiteral("1920x1080")).split('x');
    const QString capture = option(args, QStringLiteral("--capture"), QString());

    QTemporaryDir profil;
    Reglages reglages(profil.filePath(QStringLiteral("Ormelle.ini")));
    ServicesMuets services;
    General g(reglages, services);
    g.modele.ouvrir(dossier, fichiers.first());
    while (g.modele.listageEnCours())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    g.diaporama.setAdaptation(ajustement::Proportions);
    g.diaporama.ordreAleatoire = args.contains(QStringLiteral("--random"));
    g.diaporama.effetTransition = !capture.isEmpty();
    g.diaporama.dureeTransition = 20;
    g.diaporama.setCouleurTransition(QColor(255, 192, 0)); // an orange
    PleinEcran v(g, nullptr, OuverturePleinEcran::Diaporama);
    v.setTailleEcranForcee(QSize(ecran.value(0).toInt(), ecran.value(1).toInt()));
    v.show();
    std::printf("%lld pictures, screen %s, %s order, peak RSS at start %.0f MB\n",
                static_cast<long long>(fichiers.size()), qPrintable(ecran.join('x')),
                g.diaporama.ordreAleatoire ? "random" : "sequential", memoire("VmHWM:"));
    if (!capture.isEmpty()) {
        v.etapeMinuterie();
        attendre(25 * g.diaporama.dureeTransition); // about half of the 51 steps
        const bool ok = v.grab().save(capture);
        std::printf("capture %s: %s\n", qPrintable(capture), ok ? "saved" : "failed");
        return ok ? 0 : 1;
    }
    serie(v, g, etapes, true);
    std::printf("peak RSS so far %.0f MB\n", memoire("VmHWM:"));
    serie(v, g, etapes, false);
    std::printf("peak RSS so far %.0f MB\n", memoire("VmHWM:"));
    if (pause > 0)
        serie(v, g, etapes, true, pause);
    std::printf("peak RSS over the run %.0f MB\n", memoire("VmHWM:"));
    return 0;
}
