// ormelle-bench animation [FILE.gif] [--frames N] [--screen WxH] [--size WxH] [--count N] [--delay CS]
// Plays an animated GIF in the full-screen viewer, offscreen, for N frames and
// reports, for each frame painted, how late it came against its due time, and
// the peak resident memory of the whole run. Without FILE, a GIF of --count
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

// Each paint of Image1 that draws a new frame: how late it is against the frame's due time.
class Releve : public QObject {
public:
    Releve(PleinEcran& v, Horloge& h) : vue_(v), horloge_(h) {}
    std::vector<double> retards;
    int peintes = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && vue_.animation()) {
            const Animation& a = *vue_.animation();
            const qint64 cle = vue_.imageAffichee().cacheKey();
            // The first frame came from the picture service, before any timing.
            if (cle != derniere_ && (a.numero() != 0 || a.tour() > 1)) {
                derniere_ = cle;
                retards.push_back(double(horloge_.maintenant() - a.echeanceAffichee()));
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
    g.AdapterImage = 0;
    PleinEcran v(g);
    v.setTailleEcranForcee(ecran);
    const double rssAvant = memoireMaxMo();
    QElapsedTimer chrono;
    chrono.start();
    v.show();
    while (!v.animation())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double premiere = chrono.nsecsElapsed() / 1e6;
    Releve releve(v, *g.horloge);
    v.findChild<QWidget*>(QStringLiteral("Image1"))->installEventFilter(&releve);
    while (releve.peintes < voulues && v.animation() && v.animation()->enCours())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double duree = chrono.nsecsElapsed() / 1e9;
    std::printf("screen %dx%d, first frame on screen %.0f ms, frames painted %d in %.1f s\n", ecran.width(),
                ecran.height(), premiere, releve.peintes, duree);
    std::printf("lateness against due time: median %.1f ms, p90 %.1f ms, max %.1f ms\n", quantile(releve.retards, 0.5),
                quantile(releve.retards, 0.9), quantile(releve.retards, 1.0));
    std::printf("peak resident memory %.1f MB (%.1f MB before the viewer opened)\n", memoireMaxMo(), rssAvant);
    return 0;
}
