// The viewer's pop-up menu as the user drives it: its tree, the entries that
// act at once, and the requests carried out once it has closed.
#include "bancplein.h"

#include "dialogs/reglslid.h"
#include "commun/connexionsrompues.h"

class TestFenPopUp : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void arbre();
    void premiereOuvertureGardeLOrdre();
    void adaptationImmediate();
    void copieImageSeuleEtEcran();
    void panneauSuspendLesTransitions();
    void fondEcranAnnuleGarde();
    void diaporamaRelance();
    void vueUniqueFinitAvecSaVue();
    void retourFenetrePrincipale();
    void programmesEtAide();
    void musique();
    void barreDesTaches();
};

namespace {
QStringList entrees(const QMenu* m)
{
    QStringList l;
    for (const QAction* a : m->actions())
        l << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return l;
}
} // namespace

void TestFenPopUp::arbre()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.ouvrir("a.bmp");
    b.ouvrirMenu();
    QMenu* m = b.menu->menu();
    QCOMPARE(entrees(m), (QStringList{"Annuler",
                                      "Afficher/Masquer la barre des tâches",
                                      "-",
                                      "Copier l'image",
                                      "Presse-papiers",
                                      "Programme de dessin",
                                      "Changer de dossier/Choisir une image...",
                                      "-",
                                      "Fond d'écran...",
                                      "Adapter l'image à l'écran",
                                      "Commentaire sur l'image",
                                      "-",
                                      "Réglages slideshow...",
                                      "Ordre d'affichage aléatoire",
                                      "SlideShow",
                                      "-",
                                      "Musique et sons",
                                      "-",
                                      "Quelvio",
                                      "Aide",
                                      "Retour fenêtre principale"}));
    const auto sous = [&](const char* nom) { return entrees(b.menu->action(QString::fromLatin1(nom))->menu()); };
    QCOMPARE(sous("mnuCopImg"), (QStringList{"Image seule", "Tout l'écran"}));
    QCOMPARE(sous("mnuAdapt"),
             (QStringList{"En respectant les proportions", "Ne pas adapter", "Affichage sur tout l'écran"}));
    QCOMPARE(sous("mnuCommentaire"), (QStringList{"Créer le commentaire", "Afficher le commentaire",
                                                  "Position du commentaire", "Modifier la police d'affichage"}));
    QCOMPARE(sous("mnuPosComment"), (QStringList{"Haut-Gauche", "Haut-Droite", "Bas-Gauche", "Bas-Droite"}));
    QCOMPARE(sous("mnuZiqSon"),
             (QStringList{"Charger un son (sans le jouer)", "Jouer le son chargé", "Charger et jouer un son",
                          "Durée du son", "Répétition du son", "Arrêter le son"}));
    // At the mouse.
    QCOMPARE(m->pos(), b.dernierClic);
    m->hide();
}

void TestFenPopUp::premiereOuvertureGardeLOrdre()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.g.diaporama.ordreAleatoire = true;
    b.g.diaporama.setAdaptation(ajustement::ToutEcran);
    b.ouvrir("a.bmp");
    b.ouvrirMenu();
    QVERIFY(b.g.diaporama.ordreAleatoire);
    QVERIFY(b.coche("mnuAfAl"));
    b.choisir("mnuAnnul");
    QVERIFY(b.g.diaporama.ordreAleatoire);
    QCOMPARE(b.g.diaporama.adaptation(), std::optional(ajustement::ToutEcran));
    b.choisir("mnuAfAl");
    QVERIFY(!b.g.diaporama.ordreAleatoire);
    QVERIFY(!b.coche("mnuAfAl"));
}

void TestFenPopUp::adaptationImmediate()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(160, 60), Qt::blue);
    b.g.diaporama.setAdaptation(ajustement::NePasAdapter);
    b.ouvrir("a.bmp");
    QCOMPARE(b.vue->imageAffichee().size() / b.vue->imageAffichee().devicePixelRatio(), QSize(160, 60));
    b.ouvrirMenu();
    const QList<QAction*> modes = b.menu->action("mnuAdapt")->menu()->actions();
    modes[0]->trigger(); // applies at once, the menu still open
    QCOMPARE(b.g.diaporama.adaptation(), std::optional(ajustement::Proportions));
    b.montree();
    QCOMPARE(b.vue->imageAffichee().size() / b.vue->imageAffichee().devicePixelRatio(), QSize(800, 300));
    QCOMPARE((QList<bool>{modes[0]->isChecked(), modes[1]->isChecked(), modes[2]->isChecked()}),
             (QList<bool>{true, false, false}));
    b.menu->menu()->hide();
    b.ouvrirMenu();
    modes[2]->trigger();
    b.menu->menu()->hide();
    b.montree();
    QCOMPARE(b.vue->imageAffichee().size() / b.vue->imageAffichee().devicePixelRatio(), QSize(800, 600));
    QCOMPARE((QList<bool>{modes[0]->isChecked(), modes[1]->isChecked(), modes[2]->isChecked()}),
             (QList<bool>{false, false, true}));
}

void TestFenPopUp::copieImageSeuleEtEcran()
{
    BancPlein b;
    QImage motif(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < motif.height(); ++y)
        for (int x = 0; x < motif.width(); ++x)
            motif.setPixel(x, y, qRgb(x * 2, y * 2, 200));
    QVERIFY(motif.save(b.chemin("a.bmp"), "BMP"));
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("a.bmp"), "MMMMMMMM"));
    b.g.diaporama.setAdaptation(ajustement::NePasAdapter); // centred, smaller than the screen
    b.g.CouleurFond = Qt::black;
    b.g.commentaire.affiche = true;
    b.g.commentaire.coin = CoinCommentaire::HautGauche;
    b.g.commentaire.police.setCouleur(Qt::red);
    QFont police = b.g.commentaire.police.police();
    police.setPointSize(40);
    b.g.commentaire.police.setPolice(police);
    b.ouvrir("a.bmp");
    b.choisir("mnuImageSeule");
    QCOMPARE(b.env.services.images.size(), 1);
    QCOMPARE(b.env.services.images[0].convertToFormat(QImage::Format_RGB32), motif);
    QCOMPARE(b.env.services.sons.last(), 19);
    QCOMPARE(b.env.services.sabliers, 0);

    b.choisir("mnuToutEcran");
    QCOMPARE(b.env.services.images.size(), 2);
    const QImage ecran = b.env.services.images[1];
    QCOMPARE(ecran.size() / ecran.devicePixelRatio(), QSize(800, 600));
    // The comment label, top-left, is in the copy.
    const QRect r = b.commentFixe()->geometry();
    bool rouge = false;
    for (int x = r.left(); x < r.right() && !rouge; ++x)
        for (int y = r.top(); y < r.bottom() && !rouge; ++y)
            rouge = ecran.pixelColor(QPointF(x, y).toPoint() * ecran.devicePixelRatio()) == QColor(Qt::red);
    QVERIFY(rouge);
}

void TestFenPopUp::panneauSuspendLesTransitions()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.g.diaporama.effetTransition = true;
    b.ouvrir("a.bmp");
    QTRY_VERIFY(!b.vue->effetEnCours());
    b.choisir("mnuChangRep");
    QVERIFY(b.panneau()->isVisible());
    QVERIFY(b.vue->demandes().panneau);
    QVERIFY(!b.g.diaporama.effetTransition);
    QCOMPARE(b.panneau()->titre(), QString("Choix du dossier d'images / Choix d'une image"));
    // While the panel is open a click does not open the menu.
    QTest::mouseClick(b.vue.get(), Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(!b.menu->menu()->isVisible());
    b.cliquer("CmdAnnul");
    QVERIFY(!b.panneau()->isVisible());
    QVERIFY(b.g.diaporama.effetTransition);

    b.choisir("mnuCreerCommentaire");
    QVERIFY(b.panneau()->isVisible());
    QCOMPARE(b.panneau()->titre(), QString("Créer un commentaire et l'associer à une image"));
    QCOMPARE(b.panneau()->height(), 369); // 5535 twips: the comment box shows three lines
    QVERIFY(b.controle<BoutonSkin>("CmdTalvenor")->isVisible());
    QVERIFY(!b.g.diaporama.effetTransition);
    // Leaving the editor puts transitions back as OK and Cancel do.
    b.cliquer("CmdSortir");
    QVERIFY(!b.panneau()->isVisible());
    QVERIFY(!b.vue->demandes().modeCommentaire && !b.vue->demandes().panneau);
    QVERIFY(b.g.diaporama.effetTransition);

    // Leaving the viewer with the panel open does not leave transitions off.
    b.choisir("mnuChangRep");
    QVERIFY(!b.g.diaporama.effetTransition);
    QTest::keyClick(b.controle<QListWidget>("File1"), Qt::Key_Escape);
    QVERIFY(!b.vue->isVisible());
    b.vue.reset();
    QVERIFY(b.g.diaporama.effetTransition);
}

void TestFenPopUp::fondEcranAnnuleGarde()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.g.CouleurFond = Qt::darkGreen;
    b.ouvrir("a.bmp");
    b.choisir("mnuFondEcran");
    QCOMPARE(b.g.CouleurFond, QColor(Qt::darkGreen));
    b.env.services.couleurs.push_back(QColor(Qt::magenta));
    b.choisir("mnuFondEcran");
    QCOMPARE(b.g.CouleurFond, QColor(Qt::magenta));
    QCOMPARE(b.vue->palette().color(QPalette::Window), QColor(Qt::magenta));
}

void TestFenPopUp::diaporamaRelance()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    BancPlein::image(b.chemin("b.bmp"), QSize(80, 60), Qt::red);
    b.ouvrir("a.bmp", OuverturePleinEcran::Diaporama);
    QVERIFY(b.vue->Minuterie1().isActive());
    b.ouvrirMenu(); // the click stops the slideshow
    QVERIFY(!b.g.DiaporamaEnCours);
    QVERIFY(!b.vue->Minuterie1().isActive());
    b.choisir("mnuSlide");
    QVERIFY(b.g.DiaporamaEnCours && b.vue->curseurMasque());
    QTRY_VERIFY(b.vue->Minuterie1().isActive());
}

// The view of one picture ends with its viewer, however it was left: a click in
// the next one opens the menu.
void TestFenPopUp::vueUniqueFinitAvecSaVue()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.ouvrir("a.bmp", OuverturePleinEcran::VueUnique);
    b.touche(Qt::Key_Escape);
    QVERIFY(!b.vue->isVisible());
    b.ouvrir("a.bmp");
    b.ouvrirMenu();
    QVERIFY(b.vue->isVisible());
}

void TestFenPopUp::retourFenetrePrincipale()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.ouvrir("a.bmp");
    QSignalSpy fini(b.vue.get(), &QDialog::finished);
    b.choisir("mnuRetFen");
    QCOMPARE(fini.count(), 1);
    QVERIFY(!b.vue->isVisible());
    QVERIFY(!b.vue->demandes().retour);
    QCOMPARE(b.env.services.sabliers, 1); // the main window takes it off
}

void TestFenPopUp::programmesEtAide()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.env.services.installes = QStringList{"gimp", "diodon"};
    b.ouvrir("a.bmp");
    b.choisir("mnuPaintbrush");
    b.choisir("mnuPressPap");
    b.choisir("mnuQuelvio");
    QCOMPARE(b.env.services.programmes.size(), 3);
    QCOMPARE(b.env.services.programmes[0], qMakePair(QString("gimp"), QStringList{b.chemin("a.bmp")}));
    QCOMPARE(b.env.services.programmes[1].first, QString("diodon"));
    QCOMPARE(b.env.services.programmes[2].first, QString("/opt/talvenor/quelvio/quelvio"));
    QVERIFY(b.env.services.boites.isEmpty()); // a missing program says nothing here
    b.choisir("mnuAide");
    QVERIFY(b.env.services.aides.last().endsWith("::/htm/plein_ecran.htm"));
}

namespace {
struct MusiqueFactice : LecteurMusique {
    QStringList appels;
    void chargerSon() override { appels << "charger"; }
    void jouerSon() override { appels << "jouer"; }
    void chargerJouerSon() override { appels << "chargerJouer"; }
    void dureeSon() override { appels << "duree"; }
    void repeterSon() override { appels << "repeter"; }
    void arreterSon() override { appels << "arreter"; }
    bool sonCharge() const override { return true; }
    bool repetition() const override { return false; }
    void preparer() override { appels << "preparer"; }
};
} // namespace

void TestFenPopUp::musique()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.ouvrir("a.bmp");
    b.ouvrirMenu();
    QVERIFY(!b.menu->action("mnuZiqSon")->isEnabled()); // no player installed
    b.menu->menu()->hide();

    MusiqueFactice lecteur;
    FenPopUp menu(b.g, *b.vue, &lecteur);
    QVERIFY(menu.action("mnuZiqSon")->isEnabled());
    // The submenu shown readies the player for what is likely to follow.
    QMenu* sous = menu.action("mnuZiqSon")->menu();
    sous->popup(QPoint());
    sous->hide();
    for (const char* e :
         {"mnuChargerSon", "mnuJouerSon", "mnuChargerJouerSon", "mnuDureeSon", "mnuRepetSon", "mnuArretSon"})
        menu.action(QString::fromLatin1(e))->trigger();
    QCOMPARE(lecteur.appels,
             (QStringList{"preparer", "charger", "jouer", "chargerJouer", "duree", "repeter", "arreter"}));
}

void TestFenPopUp::barreDesTaches()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(80, 60), Qt::blue);
    b.g.BarreTacheMasquee = true;
    b.ouvrir("a.bmp");
    b.vue->appliquerBarreTaches();
    QVERIFY(b.vue->windowState() & Qt::WindowFullScreen);
    b.choisir("mnuBarreTache");
    QVERIFY(!b.g.BarreTacheMasquee);
    QVERIFY(!(b.vue->windowState() & Qt::WindowFullScreen));
    b.choisir("mnuBarreTache");
    QVERIFY(b.g.BarreTacheMasquee);
    QVERIFY(b.vue->windowState() & Qt::WindowFullScreen);
}

QTEST_MAIN(TestFenPopUp)
#include "tst_fenpopup.moc"
