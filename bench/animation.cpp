// ormelle-bench animation [FILE.gif] [--frames N] [--screen WxH] [--size WxH] [--count N] [--delay CS]
// Plays an animated GIF in the full-screen viewer (offscreen, or in a real window
// with QT_QPA_PLATFORM=xcb) for N frames and reports the frames painted per
// elapsed second, the drift (time elapsed since the first frame against the display
// times of the frames shown), the CPU time the process took meanwhile and the peak
// resident memory of the whole run. Without FILE, a GIF of --count
// frames of --size (1000 frames of 1920x1080, 40 ms apart, by default) is made
// first in a scratch folder.
#include "generateur.h"
#include "outils.h"
#include "app/general.h"
#include "app/memoire.h"
#include "app/services.h"
#include "core/animation.h"
#include "core/reglages.h"
#include "fullscreen/pleinecran.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

QSize lireTaille(const QString& texte)
{
    const QStringList p = texte.split(QLatin1Char('x'));
    return p.size() == 2 ? QSize(p[0].toInt(), p[1].toInt()) : QSize();
}

double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

double cpuSecondes()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Each paint of Image1 that draws a new frame: the time elapsed since the first
// frame showed, less the display times of the frames before this one. The player's
// own due times are not used: it moves them on after a frame much too late.
class Releve : public QObject {
public:
    Releve(PleinEcran& v, Horloge& h) : vue_(v), horloge_(h) {}
    std::vector<double> derives;
    int peintes = 0;
    qint64 ecoule = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && vue_.animation()) {
            const Animation& a = *vue_.animation();
            const qint64 cle = vue_.imageAffichee().cacheKey();
            // The first frame came from the picture service, before any timing.
            if (cle != derniere_ && (a.numero() != 0 || a.tour() > 1)) {
                derniere_ = cle;
                ecoule = horloge_.maintenant() - a.debut();
                derives.push_back(double(ecoule - a.tempsJoue()));
                ++peintes;
            }
        }
        return QObject::eventFilter(o, e);
    }

private:
    PleinEcran& vue_;
    Horloge& horloge_;
    qint64 derniere_ = 0;
};

} // namespace

int benchAnimation(int argc, char** argv)
{
    QStringList args = argumentsFenetres(argc, argv);
    if (!qEnvironmentVariableIsSet("ORMELLE_BENCH_MALLOC_DEFAUT"))
        reglerMemoireImages();
    QApplication appli(argc, argv);
    restituerMemoireAuRepos(&appli);
    const QSize ecran = lireTaille(option(args, QStringLiteral("--screen"), QStringLiteral("1920x1080")));
    QString fichier = args.value(0).startsWith(QLatin1String("--")) ? QString() : args.value(0);
    QTemporaryDir brouillon;
    if (fichier.isEmpty()) {
        const QSize taille = lireTaille(option(args, QStringLiteral("--size"), QStringLiteral("1920x1080")));
        const int nombre = option(args, QStringLiteral("--count"), QStringLiteral("1000")).toInt();
        const int delai = option(args, QStringLiteral("--delay"), QStringLiteral("4")).toInt();
        fichier = brouillon.filePath(QStringLiteral("anime.gif"));
        QElapsedTimer chrono;
        chrono.start();
        if (!fabriquerGif(fichier, taille.width(), taille.height(), nombre, delai))
            return 1;
        std::printf("made %s: %d frames of %dx%d, %d ms apart, %.1f MB, in %.1f s\n", qPrintable(fichier), nombre,
                    taille.width(), taille.height(), delai * 10, QFileInfo(fichier).size() / 1e6,
                    chrono.elapsed() / 1000.0);
    }
    const int voulues = option(args, QStringLiteral("--frames"), QStringLiteral("999")).toInt();

    QTemporaryDir profil;
    Reglages reglages(profil.filePath(QStringLiteral("Ormelle.ini")));
    ServicesMuets services;
    General g(reglages, services);
    const QFileInfo info(fichier);
    g.modele.ouvrir(info.absolutePath(), info.fileName());
    while (g.modele.listageEnCours())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    g.diaporama.setAdaptation(ajustement::Proportions);
    PleinEcran v(g);
    v.setTailleEcranForcee(ecran);
    const double rssAvant = memoireMaxMo();
    QElapsedTimer chrono;
    chrono.start();
    v.show();
    while (!v.animation())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double premiere = chrono.nsecsElapsed() / 1e6;
    const double cpuAvant = cpuSecondes();
    Releve releve(v, *g.horloge);
    v.findChild<QWidget*>(QStringLiteral("Image1"))->installEventFilter(&releve);
    while (releve.peintes < voulues && v.animation() && v.animation()->enCours())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double cpu = cpuSecondes() - cpuAvant;
    const double secondes = double(releve.ecoule) / 1000.0;
    std::printf("screen %dx%d, first frame on screen %.0f ms, frames painted %d in %.1f s: %.2f a second\n",
                ecran.width(), ecran.height(), premiere, releve.peintes, secondes, releve.peintes / secondes);
    std::printf("drift (elapsed less the display times shown): at the end %.0f ms, median %.0f ms, max %.0f ms\n",
                releve.derives.empty() ? 0.0 : releve.derives.back(), quantile(releve.derives, 0.5),
                quantile(releve.derives, 1.0));
    std::printf("CPU (user+sys) %.2f s over those %.1f s: %.1f %%\n", cpu, secondes, 100 * cpu / secondes);
    std::printf("peak resident memory %.1f MB (%.1f MB before the viewer opened)\n", memoireMaxMo(), rssAvant);
    return 0;
}
