// ormelle-bench thumbnails FOLDER [--pages N] [--make N] [--rate PAGES_PER_S]
// ormelle-bench thumbnail-page FOLDER: one page as a whole process (below).
// Runs the thumbnail page offscreen on FOLDER with the code the window runs and
// measures, as a user meets them: a page request to its nine cells painted, cold
// (nothing decoded yet), and a page turn onto a page already decoded ahead; a
// visit of the folder (listing and first page) when the desktop's thumbnails are
// not there yet and when they are; Page Down held through the whole folder; with
// the peak memory. --make N first fills FOLDER with N photos of 3 megapixels
// (those already there are kept, so a second run starts at once). The shared
// thumbnails go to a private cache folder, never the user's.
#include "generateur.h"
#include "outils.h"
#include "app/general.h"
#include "app/memoire.h"
#include "app/services.h"
#include "app/skin.h"
#include "core/reglages.h"
#include "main_window/miniatures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

template <class Condition>
void attendre(Condition fini)
{
    while (!fini())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs `action` and returns the ms until the page is complete and painted.
template <class Action>
double jusquAuDessin(Miniatures& m, Action action)
{
    QElapsedTimer chrono;
    chrono.start();
    action();
    attendre([&] { return m.pageComplete(); });
    m.FondMiniatures->repaint();
    return chrono.nsecsElapsed() / 1e6;
}

// Photos of 3 megapixels, made on both cores; those already made are kept.
void fabriquerPhotos(const QString& dossier, int nombre)
{
    QDir().mkpath(dossier);
    QElapsedTimer chrono;
    chrono.start();
    std::atomic<int> suivante{0}, faites{0};
    auto travail = [&] {
        for (int i; (i = suivante++) < nombre;) {
            const QString chemin = dossier + QStringLiteral("/photo-%1.jpg").arg(i + 1, 4, 10, QLatin1Char('0'));
            if (QFileInfo(chemin).size() > 0)
                continue;
            fabriquerJpeg(chemin + QStringLiteral(".part"), 2000, 1500, 90, quint32(i + 1));
            QFile::rename(chemin + QStringLiteral(".part"), chemin);
            ++faites;
        }
    };
    std::thread autre(travail);
    travail();
    autre.join();
    if (faites > 0)
        std::printf("%d photos of 2000x1500 made in %.1f s\n", faites.load(), chrono.nsecsElapsed() / 1e9);
}

// The desktop's thumbnail cache the decodes read and write from now on: only
// changed while no decode runs, since the workers read it.
void cacheBureau(General& g, const QString& dossier)
{
    attendre([&] { return g.images.enCours() == 0 && g.images.enAttente() == 0; });
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dossier));
}

// Entering the folder: its listing, then the first page painted; in ms, and the
// listing's share in `listage`.
double visite(General& g, QWidget& fenetre, const QString& dossier, const QString& ailleurs, double* listage)
{
    g.modele.ouvrir(ailleurs);
    attendre([&] { return !g.modele.listageEnCours(); });
    Miniatures m(g, &fenetre);
    m.setActif(true);
    QElapsedTimer chrono;
    const double ms = jusquAuDessin(m, [&] {
        chrono.start();
        g.modele.ouvrir(dossier);
        attendre([&] { return !g.modele.listageEnCours(); });
        *listage = chrono.nsecsElapsed() / 1e6;
        m.DossierMiniatures(PagesMiniatures::Milieu + 1);
    });
    attendre([&] { return m.anticipationComplete(); });
    delete m.FondMiniatures;
    return ms;
}

struct Tenue {
    int pages = 0;
    int cellules = 0;  // cells with a picture to show, over every page passed
    int videsTour = 0; // still empty when the next page came: empty a whole turn
    int videsPlus = 0; // the same cell empty at two turns in a row: more than a turn
    double fin = 0;    // last turn to its page painted, ms
};

// Page Down held from the first page to the last, `parSeconde` pages a second.
Tenue tenirPageSuivante(General& g, QWidget& fenetre, int parSeconde)
{
    Miniatures m(g, &fenetre);
    m.setActif(true);
    m.DossierMiniatures(PagesMiniatures::Milieu + 1);
    attendre([&] { return m.pageComplete(); });
    Tenue t;
    QEventLoop boucle;
    std::array<bool, PagesMiniatures::NbCellules> videAvant{};
    QElapsedTimer horloge;
    horloge.start();
    qint64 dernierTour = 0;
    std::vector<qint64> affichages;
    QObject::connect(&m, &Miniatures::pageAffichee, &boucle, [&] { affichages.push_back(horloge.nsecsElapsed()); });
    QTimer pas;
    pas.setTimerType(Qt::PreciseTimer);
    pas.setInterval(1000 / std::max(1, parSeconde));
    QObject::connect(&pas, &QTimer::timeout, &boucle, [&] {
        for (int c = 0; c < PagesMiniatures::NbCellules; ++c) {
            const bool vide = !m.pages().entree(c).isEmpty() && !m.Image2[size_t(c)]->aImage();
            t.cellules += m.pages().entree(c).isEmpty() ? 0 : 1;
            t.videsTour += vide;
            t.videsPlus += vide && videAvant[size_t(c)];
            videAvant[size_t(c)] = vide;
        }
        const qint64 avant = m.pages().ImageCentree();
        const qint64 tour = horloge.nsecsElapsed();
        QKeyEvent touche(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(m.FondMiniatures, &touche);
        if (m.pages().ImageCentree() == avant) {
            boucle.quit();
            return;
        }
        ++t.pages;
        dernierTour = tour;
    });
    pas.start();
    boucle.exec();
    attendre([&] { return m.pageComplete(); });
    const auto page = std::lower_bound(affichages.begin(), affichages.end(), dernierTour);
    t.fin = page != affichages.end() ? (*page - dernierTour) / 1e6 : -1;
    delete m.FondMiniatures;
    return t;
}

void afficherTenue(const char* quand, const Tenue& t, int parSeconde)
{
    std::printf("Page Down held, %d pages/s, %s: %d pages, %d cells; empty a whole turn %d, "
                "more than one turn %d\n",
                parSeconde, quand, t.pages, t.cellules, t.videsTour, t.videsPlus);
}

// From here on, the peak memory counts only what the thumbnails cost.
void remettrePicMemoire()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace

int benchMiniatures(int argc, char** argv)
{
    const QStringList args = argumentsFenetres(argc, argv);
    reglerMemoireImages();
    QApplication appli(argc, argv);
    const qsizetype i = args.indexOf(QStringLiteral("--pages"));
    const int pages = std::max(1, i >= 0 ? args.value(i + 1).toInt() : 5);
    const int parSeconde = option(args, QStringLiteral("--rate"), QStringLiteral("10")).toInt();
    if (const int n = option(args, QStringLiteral("--make"), QStringLiteral("0")).toInt(); n > 0)
        fabriquerPhotos(args.value(0), n);
    remettrePicMemoire();

    QTemporaryDir profil;
    const QString caches = profil.filePath(QStringLiteral("caches"));
    Reglages reglages(profil.filePath(QStringLiteral("Ormelle.ini")));
    ServicesMuets services;
    General g(reglages, services);
    g.images.setBudgetResultats(0); // each cold page decodes, as a folder never seen would
    QWidget fenetre;
    fenetre.resize(700, 470);
    fenetre.show();
    g.modele.ouvrir(args.value(0));
    attendre([&] { return !g.modele.listageEnCours(); });
    if (g.modele.fichiers().isEmpty()) {
        std::fprintf(
            stderr,
            "usage: ormelle-bench thumbnails FOLDER [--pages N] [--make N] [--rate P]\n(pictures in the folder)\n");
        return 2;
    }

    std::vector<double> froides, anticipees;
    for (int p = 0; p < pages; ++p) {
        // A page never seen: a fresh page and cache, and nothing kept by the service.
        cacheBureau(g, caches + QStringLiteral("/froide-%1").arg(p));
        auto m = std::make_unique<Miniatures>(g, &fenetre);
        m->setActif(true);
        froides.push_back(jusquAuDessin(*m, [&] { m->DossierMiniatures(PagesMiniatures::Milieu + 1); }));
        attendre([&] { return m->anticipationComplete(); });
        if (m->pages().positionVoisine(1) != m->pages().ImageCentree())
            anticipees.push_back(jusquAuDessin(*m, [&] { emit m->CmdVBas->sourisEnfoncee(Qt::LeftButton, {}, {}); }));
        delete m->FondMiniatures;
    }

    // Visits of the folder: the first makes the desktop's thumbnails, the second
    // finds them (nothing is kept in memory from one to the other).
    std::vector<double> premieres, secondes, listages;
    for (int p = 0; p < pages; ++p) {
        cacheBureau(g, caches + QStringLiteral("/visite-%1").arg(p));
        double listage = 0;
        premieres.push_back(visite(g, fenetre, args.value(0), profil.path(), &listage));
        secondes.push_back(visite(g, fenetre, args.value(0), profil.path(), &listage));
        listages.push_back(listage);
    }
    // Through the folder: its first time (only two pages made by the visits), then again.
    const Tenue premiere = tenirPageSuivante(g, fenetre, parSeconde);
    const Tenue seconde = tenirPageSuivante(g, fenetre, parSeconde);
    const double memoire = memoireMaxMo();

    std::printf("%lld pictures; medians over %d pages\n", qlonglong(g.modele.fichiers().size()), pages);
    std::printf("page request to nine cells painted, cold   %7.1f ms\n", mediane(froides));
    if (!anticipees.empty())
        std::printf("page turn onto a page decoded ahead        %7.1f ms\n", mediane(anticipees));
    std::printf("first visit, listing to first page painted %7.1f ms\n", mediane(premieres));
    std::printf("second visit, desktop thumbnails there     %7.1f ms  (%.2fx the first)\n", mediane(secondes),
                mediane(secondes) / mediane(premieres));
    std::printf("  of which the listing                     %7.1f ms\n", mediane(listages));
    afficherTenue("first time through", premiere, parSeconde);
    afficherTenue("second time", seconde, parSeconde);
    std::printf("last turn to its page painted              %7.1f ms, %7.1f ms\n", premiere.fin, seconde.fin);
    std::printf("peak memory                                %7.1f MB\n", memoire);
    return 0;
}

// One thumbnail page as a whole process, for a side-by-side run with another whole
// process (bench/compare.py): start, the folder listed, its first page of nine
// cells decoded and painted, exit. The desktop's thumbnails go to a private, empty
// folder, so that every cell is decoded (and its thumbnail written, as the viewer
// does). Prints the time from the application object to the page painted.
int benchPageMiniatures(int argc, char** argv)
{
    const QStringList args = argumentsFenetres(argc, argv);
    reglerMemoireImages();
    QTemporaryDir profil;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(profil.filePath(QStringLiteral("caches"))));
    QApplication appli(argc, argv);
    QElapsedTimer chrono;
    chrono.start();
    Reglages reglages(profil.filePath(QStringLiteral("Ormelle.ini")));
    ServicesMuets services;
    General g(reglages, services);
    QWidget fenetre;
    fenetre.resize(700, 470);
    fenetre.show();
    g.modele.ouvrir(args.value(0));
    attendre([&] { return !g.modele.listageEnCours(); });
    if (g.modele.fichiers().isEmpty()) {
        std::fprintf(stderr, "usage: ormelle-bench thumbnail-page FOLDER\n(pictures in the folder)\n");
        return 2;
    }
    {
        Miniatures m(g, &fenetre);
        m.setActif(true);
        jusquAuDessin(m, [&] { m.DossierMiniatures(PagesMiniatures::Milieu + 1); });
        delete m.FondMiniatures;
    }
    std::printf("%lld pictures, first page painted: temps %.1f ms\n", qlonglong(g.modele.fichiers().size()),
                chrono.nsecsElapsed() / 1e6);
    return 0;
}
