// The main window from start-up on: what the load reads and shows, the panels,
// the options of the options panel, tooltips, help and companion programs.
#include "bancfenprin.h"

#include <QPointer>

#include "dialogs/avertis.h"
#include "app/skin.h"
#include "app/twips.h"
#include "platform/erreurs.h"
#include "commun/connexionsrompues.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>

class TestFenPrin : public QObject {
    Q_OBJECT

private:
    static QString bulleApresSurvol(QWidget* w)
    {
        // Two moves: a move to where the pointer already is makes no event.
        QTest::mouseMove(w, QPoint(2, 2));
        QTest::mouseMove(w, w->rect().center());
        return w->toolTip();
    }
    // All of w is drawn: from w up to `dans`, each widget lies inside its parent.
    static bool entier(const QWidget* w, const QWidget* dans)
    {
        for (; w != dans; w = w->parentWidget())
            if (!w->parentWidget()->rect().contains(w->geometry()))
                return false;
        return true;
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void storeVideDonneLesReglagesParDefaut()
    {
        BancFenPrin b;
        FenPrin& f = b.charger();
        QCOMPARE(f.size(), QSize(697, 463));
        QVERIFY(f.isVisible());
        QCOMPARE(b.controle<BoutonSkin>("CmdDeplaceFen")->text(), QStringLiteral("Ormelle"));
        QCOMPARE(b.controle<BoutonSkin>("CmdBulAide")->text(), QStringLiteral("Affichage des info-bulles «"));
        QCOMPARE(b.controle<BoutonSkin>("CmdConseilDem")->text(), QStringLiteral("Conseils au démarrage «"));
        QVERIFY(b.g->InfoBulles);
        // The welcome notice comes before the tips.
        QCOMPARE(b.modaux, (QStringList{QStringLiteral("Avertis"), QStringLiteral("Conseils")}));
        auto* titre = b.controle<BoutonSkin>("CmdDeplaceFen");
        QCOMPARE(titre->gradientDebut(), QColor(0, 128, 128));
        QCOMPARE(titre->gradientFin(), QColor(224, 224, 224));
        QVERIFY(b.g->FichierAide.endsWith(QStringLiteral("/Ormelle.chm")));
        QCOMPARE(b.g->modele.motif(), QStringLiteral("*.*"));
        for (const char* nom : {"CmdCopFich", "CmdCopImg", "CmdRenommer", "CmdSupFic"})
            QVERIFY2(!b.controle(nom)->isEnabled(), nom);
        for (const char* nom : {"PopUpInfos", "FondFilePopUp", "FondSons", "FondMessage", "CacheIcones"})
            QVERIFY2(b.controle(nom)->isHidden(), nom);
        QVERIFY(b.services.sons.isEmpty());
        // Starting writes nothing: the defaults stay defaults.
        QVERIFY(QSettings(b.reglages->fichier(), QSettings::IniFormat).allKeys().isEmpty());
    }

    void optionsEteintesNeMontrentRien()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("non")); // only "Oui" is on
        b.ecrire(cles::SectionInfoBulles, cles::CleValeur, QStringLiteral("Non"));
        b.charger();
        QVERIFY(b.modaux.isEmpty());
        QVERIFY(!b.g->InfoBulles);
        QCOMPARE(b.controle<BoutonSkin>("CmdBulAide")->text(), QStringLiteral("Affichage des info-bulles"));
        QCOMPARE(b.controle<BoutonSkin>("CmdConseilDem")->text(), QStringLiteral("Conseils au démarrage"));
    }

    void aproposOuvreEtFermeLePanneau()
    {
        BancFenPrin b;
        b.charger();
        auto* infos = b.controle("PopUpInfos");
        clic(b.controle("CmdApropos"));
        QVERIFY(infos->isVisible());
        QCOMPARE(infos->geometry(), twips::rect(6540, 870, 3255, 4995));
        clic(b.controle("CmdApropos"));
        QVERIFY(infos->isHidden());
        // Right button: the welcome notice again.
        b.modaux.clear();
        clic(b.controle("CmdApropos"), Qt::RightButton);
        QCOMPARE(b.modaux, QStringList{QStringLiteral("Avertis")});
        QVERIFY(infos->isHidden());
    }

    void panneauxExclusifs()
    {
        BancFenPrin b;
        b.charger();
        auto* infos = b.controle("PopUpInfos");
        auto* typExt = b.controle("FondTypExt");
        QVERIFY(typExt);
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdTypExt"));
        QVERIFY(infos->isHidden());
        QVERIFY(typExt->isVisible());
        // A format chosen in the panel names itself on the icon bar.
        clic(b.controle("CmdBMP"));
        QCOMPARE(b.controle<BoutonSkin>("CmdTypExt")->text(), QStringLiteral(" BMP"));
        QVERIFY(typExt->isHidden());
        clic(b.controle("CmdTypExt"));
        clic(b.controle("CmdApropos"));
        QVERIFY(infos->isVisible());
        QVERIFY(typExt->isHidden());
        clic(b.controle("CmdAide"));
        QVERIFY(infos->isHidden());
        QCOMPARE(b.services.aides.last(), b.g->FichierAide + QStringLiteral("::/htm/fenêtre_principale.htm"));

        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdFerMnu"));
        QVERIFY(infos->isHidden());
    }

    void boutonDroitAideOuvreLaPageDAccueil()
    {
        BancFenPrin b;
        b.charger();
        clic(b.controle("CmdAide"), Qt::RightButton);
        QCOMPARE(b.services.aides, QStringList{b.g->FichierAide});
    }

    void menuFichierSeFerme()
    {
        BancFenPrin b;
        b.charger();
        auto* menu = b.controle("FondFilePopUp");
        QCOMPARE(menu->pos(), twips::rect(3180, 3300, 0, 0).topLeft());
        menu->show();
        clic(b.controle("mnuAnnulerFile"));
        QVERIFY(menu->isHidden());
    }

    // Escape in a menu closes it, as its last entry does; the format panel, which has no
    // such entry, closes too.
    void panneauxFermesParEchap_data()
    {
        QTest::addColumn<QByteArray>("bouton"); // the icon that opens it; none: shown directly
        QTest::addColumn<QByteArray>("menu");
        QTest::newRow("options") << QByteArray("CmdApropos") << QByteArray("PopUpInfos");
        QTest::newRow("musique") << QByteArray("CmdMusique") << QByteArray("FondSons");
        QTest::newRow("fichier") << QByteArray() << QByteArray("FondFilePopUp");
        QTest::newRow("formats") << QByteArray("CmdTypExt") << QByteArray("FondTypExt");
    }
    void panneauxFermesParEchap()
    {
        QFETCH(QByteArray, bouton);
        QFETCH(QByteArray, menu);
        BancFenPrin b;
        b.charger();
        QWidget* panneau = b.controle(menu.constData());
        if (bouton.isEmpty())
            panneau->show();
        else
            clic(b.controle(bouton.constData()));
        QVERIFY(panneau->isVisible());
        QVERIFY(b.fen->focusWidget());
        QTest::keyClick(b.fen->focusWidget(), Qt::Key_Escape);
        QVERIFY(panneau->isHidden());
    }

    void cacheFichiersBasculeLaBarreDIcones()
    {
        BancFenPrin b;
        b.charger();
        auto* cache = b.controle<PanneauSkin>("CacheFichiers");
        auto* icones = b.controle("CacheIcones");
        QCOMPARE(cache->geometry(), twips::rect(600, 630, 2520, 5055));
        QCOMPARE(icones->geometry(), b.controle("FondIcones")->geometry());
        clic(b.controle("CmdTypExt"), Qt::RightButton);
        QVERIFY(cache->isVisible());
        clic(cache);
        QVERIFY(icones->isVisible());
        clic(cache);
        QVERIFY(icones->isHidden());
    }

    void infoBullesSuiventLeReglage()
    {
        BancFenPrin b;
        b.charger();
        QCOMPARE(bulleApresSurvol(b.controle("CmdFermer")), QStringLiteral("Fermer"));
        QCOMPARE(bulleApresSurvol(b.controle("CmdFond")),
                 QStringLiteral("Affichage du fond d'écran/Choix de la couleur"));
        clic(b.controle("CmdApropos"));
        QCOMPARE(bulleApresSurvol(b.controle("LblChangerCoul")),
                 QStringLiteral("Clic droit pour changer les couleurs..."));

        clic(b.controle("CmdBulAide"));
        QVERIFY(b.controle("PopUpInfos")->isHidden());
        QCOMPARE(b.lu(cles::SectionInfoBulles, cles::CleValeur), QStringLiteral("Non"));
        QCOMPARE(b.controle<BoutonSkin>("CmdBulAide")->text(), QStringLiteral("Affichage des info-bulles"));
        QCOMPARE(bulleApresSurvol(b.controle("CmdFermer")), QString());
        QCOMPARE(bulleApresSurvol(b.controle("CmdAide")), QString());
        clic(b.controle("CmdApropos"));
        QCOMPARE(bulleApresSurvol(b.controle("LblChangerCoul")), QString());

        b.controle("CacheFichiers")->show();
        QCOMPARE(bulleApresSurvol(b.controle("CacheFichiers")), QString());
        clic(b.controle("CmdBulAide"));
        QCOMPARE(b.lu(cles::SectionInfoBulles, cles::CleValeur), QStringLiteral("Oui"));
        QCOMPARE(b.controle<BoutonSkin>("CmdBulAide")->text(), QStringLiteral("Affichage des info-bulles «"));
        QCOMPARE(bulleApresSurvol(b.controle("CacheFichiers")), QStringLiteral("Masquer/démasquer la barre d'icônes"));
        QCOMPARE(bulleApresSurvol(b.controle("CmdTypExt")),
                 QStringLiteral("Choix du format d'image (bmp, dib, gif, jpg, rle, wmf)/Masquer la zone de fichiers"));
    }

    // The welcome notice shown at start follows the stored tooltip setting already.
    void avertissementSansInfoBullesQuandEllesSontEteintes()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionInfoBulles, cles::CleValeur, QStringLiteral("Non"));
        QString bulle = QStringLiteral("non vu");
        b.surModal = [&](QDialog& d) {
            if (d.objectName() == QLatin1String("Avertis")) {
                d.show();
                bulle = bulleApresSurvol(d.findChild<QWidget*>(QStringLiteral("CmdDeplaceFen")));
                d.hide();
            }
        };
        b.charger();
        QCOMPARE(bulle, QString());
    }

    void conseilsAuDemarrageEnregistres()
    {
        BancFenPrin b;
        b.charger();
        auto* bouton = b.controle<BoutonSkin>("CmdConseilDem");
        clic(bouton);
        QCOMPARE(b.lu(cles::SectionConseils, cles::CleConseil), QStringLiteral("Non"));
        QCOMPARE(bouton->text(), QStringLiteral("Conseils au démarrage"));
        clic(bouton);
        QCOMPARE(b.lu(cles::SectionConseils, cles::CleConseil), QStringLiteral("Oui"));
        QCOMPARE(bouton->text(), QStringLiteral("Conseils au démarrage «"));
    }

    void messageEntierEtFermeAuClavier_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<bool>("defile");
        QTest::addColumn<int>("touche");
        QTest::newRow("copie sur elle-même, Entrée")
            << QStringLiteral("Source et destination sont identiques.\n"
                              "Il n'est pas possible de copier l'image sur elle-même ! ! !")
            << false << int(Qt::Key_Return);
        QTest::newRow("raison longue, Espace")
            << QStringLiteral("L'image n'a pas été envoyée dans la Corbeille :\n%1 (%2).")
                   .arg(texteErreurSysteme(EIO), texteErreurSysteme(ESTALE))
            << false << int(Qt::Key_Space);
        QTest::newRow("plus haut que la fenêtre, Échap")
            << QStringLiteral("Une ligne de plus\n").repeated(60) << true << int(Qt::Key_Escape);
    }
    void messageEntierEtFermeAuClavier()
    {
        QFETCH(QString, texte);
        QFETCH(bool, defile);
        QFETCH(int, touche);
        BancFenPrin b;
        b.charger();
        QWidget* file1 = b.controle("File1");
        file1->setFocus();
        b.fen->afficherMessage(QStringLiteral("Erreur"), texte);
        auto* panneau = b.controle<PanneauSkin>("FondMessage");
        auto* lbl = b.controle<QLabel>("LblMessage");
        QWidget* ok = b.controle("CmdOKMsg");
        QCOMPARE(panneau->pos(), QPoint(48, 148));
        QVERIFY(entier(panneau, b.fen.get()));
        QVERIFY(entier(ok, panneau));
        if (!defile) {
            QVERIFY(lbl->height() >= lbl->heightForWidth(lbl->width()));
            QVERIFY(entier(lbl, panneau));
            QVERIFY(ok->y() >= lbl->mapTo(panneau, QPoint(0, lbl->height())).y());
        }
        auto* zone = panneau->findChild<QScrollArea*>();
        QVERIFY(zone);
        QTRY_COMPARE(zone->verticalScrollBar()->isVisible(), defile);

        QCOMPARE(b.fen->focusWidget(), panneau);
        QTest::keyClick(b.fen->focusWidget(), Qt::Key(touche));
        QVERIFY(panneau->isHidden());
        QCOMPARE(b.fen->focusWidget(), file1);
    }

    // A settings file that cannot be written: the main window says so once, and the
    // option keeps its new value for the rest of the run.
    void reglagesNonEnregistresSignalesUneFois()
    {
        BancFenPrin b;
        QFile bloque(b.dossier.filePath(QStringLiteral("bloque")));
        QVERIFY(bloque.open(QIODevice::WriteOnly));
        bloque.close();
        b.reglages = std::make_unique<Reglages>(bloque.fileName() + QStringLiteral("/Ormelle.ini"));
        b.g = std::make_unique<General>(*b.reglages, b.services);
        b.charger();
        auto* message = b.controle<PanneauSkin>("FondMessage");
        QVERIFY(message->isHidden());
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdBulAide"));
        QVERIFY(message->isVisible());
        QCOMPARE(message->titre(), QStringLiteral("Réglages"));
        QCOMPARE(b.controle<QLabel>("LblMessage")->text(),
                 QStringLiteral("Les réglages n'ont pas pu être enregistrés :\nCe n'est pas un dossier."));
        clic(b.controle("CmdOKMsg"));
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdBulAide"));
        QVERIFY(message->isHidden());
        QVERIFY(b.g->InfoBulles);
        QCOMPARE(b.lu(cles::SectionInfoBulles, cles::CleValeur), QStringLiteral("Oui"));
    }

    void remarquesOuvertesUneSeuleFois()
    {
        BancFenPrin b;
        // The notice's remarks button asks for the topic when it closes.
        b.surModal = [&b](QDialog& d) {
            if (QLatin1String(d.metaObject()->className()) == QLatin1String("Avertis"))
                emit static_cast<Avertis&>(d).remarquesDemandees();
        };
        FenPrin& f = b.charger();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const QString remarques = b.g->FichierAide + QStringLiteral("::/htm/remarques_et_particularites.htm");
        QTRY_COMPARE(b.services.aides, QStringList{remarques});

        // Another window in front, then back: title and tips caption again, the topic not.
        b.g->demarrage.conseils = false;
        QWidget autre;
        autre.show();
        autre.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&autre));
        autre.close();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTRY_COMPARE(b.controle<BoutonSkin>("CmdConseilDem")->text(), QStringLiteral("Conseils au démarrage"));
        QCOMPARE(b.services.aides, QStringList{remarques});
    }

    void programmesCompagnonsSansMessage()
    {
        BancFenPrin b;
        b.charger();
        clic(b.controle("CmdDorvik"));
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdQuelvio"));
        QCOMPARE(b.services.programmes.size(), 2);
        QCOMPARE(b.services.programmes.at(0).first, QStringLiteral("/opt/talvenor/dorvik/dorvik"));
        QCOMPARE(b.services.programmes.at(1).first, QStringLiteral("/opt/talvenor/quelvio/quelvio"));
        QVERIFY(b.services.boites.isEmpty());
        QVERIFY(b.services.sons.isEmpty());
        QVERIFY(b.controle("PopUpInfos")->isHidden());
    }

    void aProposEtReglagesDuDiaporama()
    {
        BancFenPrin b;
        b.charger();
        b.modaux.clear();
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdApropos2"));
        QVERIFY(b.controle("PopUpInfos")->isHidden());
        b.controle("CmdSlideShow")->setEnabled(true);
        QTest::mousePress(b.controle("CmdSlideShow"), Qt::RightButton);
        QCOMPARE(b.modaux, (QStringList{QStringLiteral("Apropos"), QStringLiteral("ReglSlid")}));
    }

    void reduire()
    {
        BancFenPrin b;
        FenPrin& f = b.charger();
        clic(b.controle("CmdReduire"));
        QTRY_VERIFY(f.windowState() & Qt::WindowMinimized);
    }

    // The desktop's close (Alt+F4, its close button) ends the run as "x" does: the
    // backdrop and every other window go with the main window.
    void fermetureParLeBureauFermeTout()
    {
        BancFenPrin b;
        FenPrin& f = b.charger();
        clic(b.controle("CmdFond"));
        QVERIFY(f.fondAffiche());
        QWidget* fond = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("FenFond") && w->isVisible())
                fond = w;
        QVERIFY(fond);
        QPointer<QWidget> suivi(fond);
        f.close();
        QVERIFY(!f.isVisible());
        QVERIFY(!suivi || !suivi->isVisible());
    }
};

QTEST_MAIN(TestFenPrin)
#include "tst_fenprin.moc"
