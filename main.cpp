#include "app/bussession.h"
#include "app/demarre2.h"
#include "app/general.h"
#include "app/instance.h"
#include "app/lignecommande.h"
#include "app/memoire.h"
#include "app/profilecran.h"
#include "core/reglages.h"
#include "app/services.h"
#include "app/traductions.h"
#include "main_window/fenprin.h"
#include "main_window/navigateur.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QIcon>
#include <memory>

// ormelle [FILE|FOLDER]: a folder opens in the browser; a file opens its folder
// with that file selected and shown; nothing keeps the stored start folder.
// --help and --version answer before any window, without a display.
int main(int argc, char** argv)
{
    const LigneCommande ligne = lireLigneCommande(argc, argv);
    if (ligne.action != LigneCommande::Ouvrir)
        return repondreLigneCommande(ligne);
    reglerMemoireImages();
    GardeAffichage garde(argc, argv);
    SansLancementBus sansBus;
    QApplication app(argc, argv);
    garde.liberer();
    sansBus.liberer();
    restituerMemoireAuRepos(&app);
    QApplication::setApplicationName(QStringLiteral("Ormelle"));
    QApplication::setApplicationVersion(QStringLiteral(ORMELLE_VERSION));
    // Names the launcher, so that a Wayland desktop shows Ormelle's icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.ormelle"));
    chargerTraductionsQt(app);
    // Before any decode: the picture named on the command line starts below.
    lireProfilEcran();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icones/ormelle.svg")));
    const QString& demande = ligne.demande;

    Instance instance;
    Reglages reglages;
    ServicesBureau services;
    General g(reglages, services);
    std::unique_ptr<FenPrin> fenetre;
    // A picture named on the command line decodes while the windows are built;
    // the preview then finds it ready.
    const QFileInfo fichier(demande);
    if (!demande.isEmpty() && fichier.isFile()) {
        g.Couleurs.lire(reglages);
        const qreal ratio = app.primaryScreen() ? app.primaryScreen()->devicePixelRatio() : 1;
        g.images.demander(Navigateur::demandeApercu(g, QDir::cleanPath(fichier.absoluteFilePath()), ratio),
                          ServiceImages::Affichage, {});
    }

    auto* splash = new Demarre2([&](Demarre2* s) {
        fenetre = std::make_unique<FenPrin>(g);
        fenetre->charger(s, demande, instance.autreEnCours());
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    const int code = app.exec();
    fenetre.reset();
    return code;
}
