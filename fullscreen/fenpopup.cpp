#include "fullscreen/fenpopup.h"

#include "app/general.h"
#include "app/services.h"
#include "fullscreen/pleinecran.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

FenPopUp::FenPopUp(General& g, PleinEcran& viewer, LecteurMusique* musique)
    : QObject(&viewer), g_(g), viewer_(viewer), musique_(musique)
{
    construire();
    // Loading the menu ticks what is in force and changes nothing.
    synchroniser();
}

FenPopUp::~FenPopUp() = default;

QAction* FenPopUp::entree(QMenu* m, const char* nom, const QString& texte, std::function<void()> action)
{
    QAction* a = nommer(m->addAction(texte), nom);
    if (action)
        connect(a, &QAction::triggered, this, std::move(action));
    return a;
}

void FenPopUp::separateur(QMenu* m, const char* nom)
{
    nommer(m->addSeparator(), nom);
}

QMenu* FenPopUp::sousMenu(QMenu* m, const char* nom, const QString& titre)
{
    QMenu* sous = m->addMenu(titre);
    nommer(sous->menuAction(), nom);
    return sous;
}

QAction* FenPopUp::nommer(QAction* a, const char* nom)
{
    const QString n = QString::fromLatin1(nom);
    a->setObjectName(n);
    // The three fit modes share a name; the first one answers for it.
    if (!parNom_.contains(n))
        parNom_.insert(n, a);
    return a;
}

void FenPopUp::construire()
{
    menu_ = std::make_unique<QMenu>(&viewer_);
    QMenu* m = menu_.get();
    m->setObjectName(QStringLiteral("mnuPopup"));
    m->setTitle(QStringLiteral("PopUp"));
    entree(m, "mnuAnnul", QStringLiteral("Annuler"));
    entree(m, "mnuBarreTache", QStringLiteral("Afficher/Masquer la barre des tâches"), [this] {
        g_.BarreTacheMasquee = !g_.BarreTacheMasquee;
        viewer_.appliquerBarreTaches();
    });
    separateur(m, "mnuSep1");
    QMenu* copie = sousMenu(m, "mnuCopImg", QStringLiteral("Copier l'image"));
    entree(copie, "mnuImageSeule", QStringLiteral("Image seule"), [this] { viewer_.demanderCopie(false); });
    entree(copie, "mnuToutEcran", QStringLiteral("Tout l'écran"), [this] { viewer_.demanderCopie(true); });
    entree(m, "mnuPressPap", QStringLiteral("Presse-papiers"), [this] {
        for (const char* p : {"copyq", "gpaste-client", "diodon"}) // a missing viewer is no error here
            if (g_.services.programmeInstalle(QString::fromLatin1(p))) {
                g_.services.demarrerProgramme(QString::fromLatin1(p), QString::fromLatin1(p) == QLatin1String("copyq")
                                                                          ? QStringList{QStringLiteral("show")}
                                                                          : QStringList{});
                return;
            }
    });
    entree(m, "mnuPaintbrush", QStringLiteral("Programme de dessin"), [this] { paint(); });
    entree(m, "mnuChangRep", QStringLiteral("Changer de dossier/Choisir une image..."),
           [this] { viewer_.demanderPanneau(); });
    separateur(m, "mnuSep2");
    entree(m, "mnuFondEcran", QStringLiteral("Fond d'écran..."), [this] { fondEcran(); });
    QMenu* adapt = sousMenu(m, "mnuAdapt", QStringLiteral("Adapter l'image à l'écran"));
    const QString modes[3] = {QStringLiteral("En respectant les proportions"), QStringLiteral("Ne pas adapter"),
                              QStringLiteral("Affichage sur tout l'écran")};
    for (int i = 0; i < 3; ++i) {
        adaptC_[i] = entree(adapt, "mnuAdaptC", modes[i], [this, i] {
            g_.diaporama.setAdaptation(ajustement::Mode(i));
            synchroniser();
            viewer_.AfficheImage(); // at once, on the picture being shown
        });
        adaptC_[i]->setCheckable(true);
        adaptC_[i]->setProperty("Index", i);
    }
    QMenu* comment = sousMenu(m, "mnuCommentaire", QStringLiteral("Commentaire sur l'image"));
    entree(comment, "mnuCreerCommentaire", QStringLiteral("Créer le commentaire"),
           [this] { viewer_.demanderCommentaire(); });
    afficherCommentaire_ = entree(comment, "mnuAfficherCommentaire", QStringLiteral("Afficher le commentaire"), [this] {
        g_.commentaire.affiche = !g_.commentaire.affiche;
        if (g_.commentaire.affiche) // switched on, always bottom-left
            choisirCoin(CoinCommentaire::BasGauche);
        synchroniser();
    });
    QMenu* position = sousMenu(comment, "mnuPosComment", QStringLiteral("Position du commentaire"));
    hg_ =
        entree(position, "mnuHG", QStringLiteral("Haut-Gauche"), [this] { choisirCoin(CoinCommentaire::HautGauche); });
    hd_ =
        entree(position, "mnuHD", QStringLiteral("Haut-Droite"), [this] { choisirCoin(CoinCommentaire::HautDroite); });
    bg_ = entree(position, "mnuBG", QStringLiteral("Bas-Gauche"), [this] { choisirCoin(CoinCommentaire::BasGauche); });
    bd_ = entree(position, "mnuBD", QStringLiteral("Bas-Droite"), [this] { choisirCoin(CoinCommentaire::BasDroite); });
    entree(comment, "mnuOpComment", QStringLiteral("Modifier la police d'affichage"),
           [this] { viewer_.demanderPolice(); });
    for (QAction* a : {afficherCommentaire_, hg_, hd_, bg_, bd_})
        a->setCheckable(true);
    separateur(m, "mnuSep3");
    entree(m, "mnuRegl", QStringLiteral("Réglages slideshow..."), [this] { reglages(); });
    afAl_ = entree(m, "mnuAfAl", QStringLiteral("Ordre d'affichage aléatoire"), [this] {
        g_.diaporama.ordreAleatoire = !g_.diaporama.ordreAleatoire;
        synchroniser();
    });
    afAl_->setCheckable(true);
    entree(m, "mnuSlide", QStringLiteral("SlideShow"), [this] { viewer_.demanderDiaporama(); });
    separateur(m, "mnuSep4");
    QMenu* son = sousMenu(m, "mnuZiqSon", QStringLiteral("Musique et sons"));
    const auto musique = [this](void (LecteurMusique::*f)()) {
        return [this, f] {
            if (musique_)
                (musique_->*f)();
        };
    };
    entree(son, "mnuChargerSon", QStringLiteral("Charger un son (sans le jouer)"),
           musique(&LecteurMusique::chargerSon));
    entree(son, "mnuJouerSon", QStringLiteral("Jouer le son chargé"), musique(&LecteurMusique::jouerSon));
    entree(son, "mnuChargerJouerSon", QStringLiteral("Charger et jouer un son"),
           musique(&LecteurMusique::chargerJouerSon));
    entree(son, "mnuDureeSon", QStringLiteral("Durée du son"), musique(&LecteurMusique::dureeSon));
    entree(son, "mnuRepetSon", QStringLiteral("Répétition du son"), musique(&LecteurMusique::repeterSon))
        ->setCheckable(true);
    entree(son, "mnuArretSon", QStringLiteral("Arrêter le son"), musique(&LecteurMusique::arreterSon));
    son->menuAction()->setEnabled(musique_ != nullptr);
    connect(son, &QMenu::aboutToShow, this, [this] {
        if (musique_)
            musique_->preparer();
    });
    separateur(m, "mnuSep5");
    entree(m, "mnuQuelvio", QStringLiteral("Quelvio"),
           [this] { g_.services.demarrerProgramme(QStringLiteral("/opt/talvenor/quelvio/quelvio"), {}); });
    entree(m, "mnuAide", QStringLiteral("Aide"), [this] { OuvrirAide(g_, QStringLiteral("plein_ecran.htm")); });
    entree(m, "mnuRetFen", QStringLiteral("Retour fenêtre principale"), [this] { viewer_.demanderRetour(); });

    // The triggered entry runs first; the after-menu work follows it.
    connect(m, &QMenu::aboutToHide, this, [this] {
        if (fermetureEnAttente_)
            return;
        fermetureEnAttente_ = true;
        QTimer::singleShot(0, this, &FenPopUp::apresFermeture);
    });
}

QAction* FenPopUp::action(const QString& nom) const
{
    return parNom_.value(nom);
}

void FenPopUp::synchroniser()
{
    for (int i = 0; i < 3; ++i)
        adaptC_[i]->setChecked(g_.diaporama.adaptation() == ajustement::Mode(i));
    afAl_->setChecked(g_.diaporama.ordreAleatoire);
    afficherCommentaire_->setChecked(g_.commentaire.affiche);
    // No corner yet: the ticks stay as they are, as the label keeps its place.
    if (g_.commentaire.coin == CoinCommentaire::Aucun)
        return;
    hg_->setChecked(g_.commentaire.coin == CoinCommentaire::HautGauche);
    hd_->setChecked(g_.commentaire.coin == CoinCommentaire::HautDroite);
    bg_->setChecked(g_.commentaire.coin == CoinCommentaire::BasGauche);
    bd_->setChecked(g_.commentaire.coin == CoinCommentaire::BasDroite);
}

void FenPopUp::choisirCoin(CoinCommentaire coin)
{
    g_.commentaire.coin = coin;
    synchroniser();
}

void FenPopUp::ouvrir(QPoint position)
{
    synchroniser();
    fermetureEnAttente_ = false;
    menu_->popup(position);
}

void FenPopUp::apresFermeture()
{
    fermetureEnAttente_ = false;
    synchroniser();
    viewer_.apresMenu();
    synchroniser();
    emit ferme();
}

void FenPopUp::fondEcran()
{
    // Cancel keeps the background in force.
    const std::optional<QColor> c = g_.services.choisirCouleur(&viewer_, g_.CouleurFond);
    if (c && c->isValid())
        g_.CouleurFond = *c;
}

void FenPopUp::reglages()
{
    viewer_.ouvrirReglages();
}

void FenPopUp::paint()
{
    LancerDessin(g_, g_.FichierCourant()); // a missing program is no error here
}
