// ormelle-bench thumbnails FOLDER [--pages N]
// Runs the thumbnail page offscreen on FOLDER with the code the window runs and
// measures, as a user meets them: a page request to its nine cells painted, cold
// (nothing decoded yet), and a page turn onto a page already decoded ahead; with
// the peak memory, and beside vipsthumbnail over the same first nine files when
// it is installed.
#include "outils.h"
#include "app/general.h"
#include "app/memoire.h"
#include "app/services.h"
#include "app/skin.h"
#include "core/reglages.h"
#include "main_window/miniatures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
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

// vipsthumbnail over the same files in one process, in ms; negative when absent.
double tempsVips(const QStringList& fichiers, const QString& sortie)
{
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty())
        return -1;
    QStringList args{QStringLiteral("--size"), QStringLiteral("128x96"), QStringLiteral("-o"),
                     sortie + QStringLiteral("/%s.png")};
    args += fichiers;
    std::vector<double> temps;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        if (QProcess::execute(vips, args) != 0)
            return -1;
        temps.push_back(chrono.nsecsElapsed() / 1e6);
    }
    return mediane(temps);
}

} // namespace

int benchMiniatures(int argc, char** argv)
{
    const QStringList args = argumentsFenetres(argc, argv);
    reglerMemoireImages();
    QApplication appli(argc, argv);
    const qsizetype i = args.indexOf(QStringLiteral("--pages"));
    const int pages = std::max(1, i >= 0 ? args.value(i + 1).toInt() : 5);

    QTemporaryDir profil;
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
        std::fprintf(stderr, "usage: ormelle-bench thumbnails FOLDER [--pages N]\n(pictures in the folder)\n");
        return 2;
    }

    std::vector<double> froides, anticipees;
    for (int p = 0; p < pages; ++p) {
        // A page never seen: a fresh page and cache, and nothing kept by the service.
        auto m = std::make_unique<Miniatures>(g, &fenetre);
        m->setActif(true);
        froides.push_back(jusquAuDessin(*m, [&] { m->DossierMiniatures(PagesMiniatures::Milieu + 1); }));
        attendre([&] { return m->anticipationComplete(); });
        if (m->pages().positionVoisine(1) != m->pages().ImageCentree())
            anticipees.push_back(jusquAuDessin(*m, [&] { emit m->CmdVBas->sourisEnfoncee(Qt::LeftButton, {}, {}); }));
        delete m->FondMiniatures;
    }
    const double memoire = memoireMaxMo();

    QStringList neuf;
    for (const QString& nom : g.modele.fichiers().mid(0, PagesMiniatures::NbCellules))
        neuf << g.modele.chemin(nom); // the cold page, centred on the fifth: nine cells
    QTemporaryDir vignettes;
    const double vips = tempsVips(neuf, vignettes.path());

    std::printf("%lld pictures; medians over %d pages\n", qlonglong(g.modele.fichiers().size()), pages);
    std::printf("page request to nine cells painted, cold   %7.1f ms\n", mediane(froides));
    if (!anticipees.empty())
        std::printf("page turn onto a page decoded ahead        %7.1f ms\n", mediane(anticipees));
    if (vips >= 0)
        std::printf("vipsthumbnail --size 128x96, same %lld files %7.1f ms  (cold page: %.2fx)\n",
                    qlonglong(neuf.size()), vips, mediane(froides) / vips);
    std::printf("peak memory                                %7.1f MB\n", memoire);
    return 0;
}
