// ormelle-bench preview FOLDER [--rounds N] [--burst N] [--interval MS]
// Runs the browser offscreen on FOLDER (pictures of one size, at least two) and
// measures, as a user meets them: a selection in the file list to the preview
// painted; a burst of N selections, one every MS ms as a held arrow key gives
// them, to the last one painted; both beside a single preview decode. Then the first
// picture's preview decode beside a copy of it tagged with a ROMM profile (converted).
#include "outils.h"
#include "app/general.h"
#include "app/memoire.h"
#include "core/reglages.h"
#include "app/services.h"
#include "main_window/navigateur.h"
#include "tests/commun/profilsessai.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A copy of the JPEG `source` carrying `icc` in an APP2 segment right after its start.
bool copieBalisee(const QString& source, const QString& cible, const QByteArray& icc)
{
    QFile entree(source);
    QFile sortie(cible);
    if (!entree.open(QIODevice::ReadOnly) || !sortie.open(QIODevice::WriteOnly) || icc.size() > 65000)
        return false;
    QByteArray octets = entree.readAll();
    const int longueur = int(icc.size()) + 16;
    QByteArray segment("\xFF\xE2", 2);
    segment += char(longueur >> 8);
    segment += char(longueur & 0xFF);
    segment += QByteArray("ICC_PROFILE\0\x01\x01", 14) + icc;
    return octets.startsWith("\xFF\xD8") && sortie.write(octets.insert(2, segment)) == octets.size();
}

struct Banc {
    QWidget fenetre;
    Navigateur* nav = nullptr;
    QListView* file1 = nullptr;
    QWidget* image1 = nullptr;

    // Runs `action`, then returns the ms until the preview that follows is painted.
    template <typename Action>
    double jusquAuDessin(Action action)
    {
        bool affichee = false;
        const auto c = QObject::connect(nav, &Navigateur::imageAffichee, [&](bool) { affichee = true; });
        QElapsedTimer chrono;
        chrono.start();
        action();
        while (!affichee)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        image1->repaint(); // painted, not only placed
        QObject::disconnect(c);
        return chrono.nsecsElapsed() / 1e6;
    }
    void selectionner(int ligne) { file1->setCurrentIndex(file1->model()->index(ligne, 0)); }
};

} // namespace

int benchApercu(int argc, char** argv)
{
    const QStringList args = argumentsFenetres(argc, argv);
    reglerMemoireImages();
    QApplication appli(argc, argv);
    const int tours = std::max(1, option(args, QStringLiteral("--rounds"), QStringLiteral("11")).toInt());
    const int rafale = std::max(2, option(args, QStringLiteral("--burst"), QStringLiteral("30")).toInt());
    const int intervalle = option(args, QStringLiteral("--interval"), QStringLiteral("33")).toInt();

    QTemporaryDir profil;
    Reglages reglages(profil.filePath(QStringLiteral("Ormelle.ini")));
    ServicesMuets services;
    General g(reglages, services);
    g.images.setBudgetResultats(0); // every selection decodes, as a new picture would
    Banc b;
    b.nav = new Navigateur(g, &b.fenetre, &b.fenetre);
    b.file1 = b.fenetre.findChild<QListView*>(QStringLiteral("File1"));
    b.image1 = b.fenetre.findChild<QWidget*>(QStringLiteral("Image1"));
    b.fenetre.resize(700, 470);
    b.fenetre.show();
    b.nav->ouvrirDossier(args.value(0));
    while (g.modele.listageEnCours())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const int n = int(g.modele.fichiers().size());
    if (n < 2) {
        std::fprintf(stderr, "usage: ormelle-bench preview FOLDER [--rounds N] [--burst N] [--interval MS]\n"
                             "(two pictures at least in the folder)\n");
        return 2;
    }

    std::vector<double> decodes, selections, rafales;
    for (int t = 0; t < tours; ++t) {
        const QString chemin = g.modele.chemin(g.modele.fichiers().at(t % n));
        QElapsedTimer chrono;
        chrono.start();
        preparerImage(Navigateur::demandeApercu(g, chemin, b.fenetre.devicePixelRatioF()));
        decodes.push_back(chrono.nsecsElapsed() / 1e6);
        selections.push_back(b.jusquAuDessin([&] { b.selectionner((t + 1) % n); }));
    }
    for (int t = 0; t < std::max(3, tours / 2); ++t) {
        // The selections come on a timer, so every cancellation happens as in use.
        int k = 0;
        QElapsedTimer chrono;
        QTimer minuterie;
        QObject::connect(&minuterie, &QTimer::timeout, [&] {
            b.selectionner((t * rafale + k) % n);
            if (++k == rafale) {
                minuterie.stop();
                chrono.start();
            }
        });
        minuterie.start(intervalle);
        while (k < rafale)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The last selection shown: from its moment on.
        const QString voulu = g.FichierCourant();
        while (b.nav->chargementEnCours() || b.nav->imageCourante().isNull())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        b.image1->repaint();
        rafales.push_back(chrono.nsecsElapsed() / 1e6);
        if (g.FichierCourant() != voulu)
            return 1;
    }
    // The first picture again, tagged with a wide-gamut profile: the same decode with
    // the colour conversion, round after round beside the untagged one.
    QTemporaryDir balise;
    const QString source = g.modele.chemin(g.modele.fichiers().at(0));
    const QString balisee = balise.filePath(QStringLiteral("romm.jpg"));
    std::vector<double> sansProfil, avecProfil;
    if (copieBalisee(source, balisee, profilsessai::romm()))
        for (int t = 0; t < tours; ++t)
            for (const QString& c : {source, balisee}) {
                QElapsedTimer chrono;
                chrono.start();
                preparerImage(Navigateur::demandeApercu(g, c, b.fenetre.devicePixelRatioF()));
                (c == source ? sansProfil : avecProfil).push_back(chrono.nsecsElapsed() / 1e6);
            }
    const double decode = mediane(decodes);
    std::printf("%d pictures; medians over %d rounds\n", n, tours);
    std::printf("one preview decode           %7.1f ms\n", decode);
    std::printf("selection to preview painted %7.1f ms  (%.2fx the decode)\n", mediane(selections),
                mediane(selections) / decode);
    std::printf("burst of %d, one every %d ms: last painted %.1f ms after its selection  (%.2fx the decode)\n", rafale,
                intervalle, mediane(rafales), mediane(rafales) / decode);
    if (!avecProfil.empty())
        std::printf("preview decode, untagged %.1f ms; ROMM-tagged, converted %.1f ms  (%+.1f %%)\n",
                    mediane(sansProfil), mediane(avecProfil), 100 * (mediane(avecProfil) / mediane(sansProfil) - 1));
    return 0;
}
