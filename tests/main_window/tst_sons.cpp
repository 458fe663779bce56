// The main window's music panel FondSons: where CmdMusique puts it, its seven entries and
// separator, each entry hiding it before its command, the file dialog, the duration in
// the message panel, and a cancelled dialog that leaves the sound playing.
#include "bancfenprin.h"

#include "app/skin.h"
#include "app/twips.h"
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "sound/postesons.h"
#include "sound/synthemidi.h"

#include <QFrame>
#include <QLabel>
#include <QTest>

using namespace fixtures;

class TestSons : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dossier_;
    QString court_, long_;

    static void clic(QWidget* w)
    {
        QVERIFY2(w, "control missing");
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    }
    static void menu(BancFenPrin& b, const char* entree)
    {
        if (b.controle("FondSons")->isHidden())
            clic(b.controle("CmdMusique"));
        clic(b.controle(entree));
        QVERIFY(b.controle("FondSons")->isHidden());
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        QVERIFY(dossier_.isValid());
        court_ = dossier_.filePath(QStringLiteral("court.wav"));
        long_ = dossier_.filePath(QStringLiteral("long.wav"));
        QVERIFY(ecrire(court_, wav(8000, 1, 16, 1600))); // 200 ms
        QVERIFY(ecrire(long_, wav(8000, 1, 8, 8000 * 1255 / 10)));
    }

    void panneauASaPlace()
    {
        BancFenPrin b;
        b.charger();
        auto* panneau = b.controle<PanneauSkin>("FondSons");
        QVERIFY(panneau->isHidden());
        QCOMPARE(panneau->titre(), QStringLiteral("Musique et sons"));
        clic(b.controle("CmdMusique"));
        QVERIFY(panneau->isVisible());
        QCOMPARE(panneau->geometry(), twips::rect(3660, 3630, 3615, 1995));
        const struct {
            const char* nom;
            const char* texte;
            int haut;
        } entrees[] = {
            {"mnuChargerSon", "Charger un son (sans le jouer)", 60},
            {"mnuJouerSon", "Jouer le son chargé", 300},
            {"mnuChargerJouerSon", "Charger et jouer un son", 540},
            {"mnuDureeSon", "Durée du son", 780},
            {"mnuRepetSon", "Répétition du son", 1020},
            {"mnuArretSon", "Arrêter le son", 1260},
            {"mnuFerMnu", "Fermer le menu", 1620},
        };
        const auto boutons = panneau->findChildren<BoutonSkin*>();
        QCOMPARE(boutons.size(), 7);
        for (const auto& e : entrees) {
            auto* bouton = panneau->findChild<BoutonSkin*>(QLatin1String(e.nom));
            QVERIFY2(bouton, e.nom);
            QCOMPARE(bouton->text(), QString::fromUtf8(e.texte));
            QCOMPARE(bouton->geometry(), twips::rect(300, e.haut, 3195, 255));
            QVERIFY(bouton->isVisible());
        }
        auto* ligne = panneau->findChild<QFrame*>(QStringLiteral("Line5"));
        QVERIFY(ligne);
        QCOMPARE(ligne->geometry(), twips::rect(300, 1560, 3180, 15));
        // The scheme colours it like the other separators.
        QCOMPARE(ligne->palette().color(QPalette::Window), b.g->couleur(Role::AutresTextes));
        clic(b.controle("CmdMusique"));
        QVERIFY(panneau->isHidden());
    }

    void musiqueMasqueLesAutresPanneaux()
    {
        BancFenPrin b;
        b.charger();
        clic(b.controle("CmdApropos"));
        QVERIFY(b.controle("PopUpInfos")->isVisible());
        clic(b.controle("CmdMusique"));
        QVERIFY(b.controle("PopUpInfos")->isHidden());
        QVERIFY(b.controle("FondSons")->isVisible());
        // The panels that hide FondSons still do.
        clic(b.controle("CmdApropos"));
        QVERIFY(b.controle("FondSons")->isHidden());
    }

    void panneauPrepareLeSynthetiseur()
    {
        if (trouverSoundFont().isEmpty())
            QSKIP("aucune SoundFont General MIDI installée : rien à charger");
        BancFenPrin b;
        b.charger();
        const LecteurMci& lecteur = b.fen->sons().MCIWnd1();
        QVERIFY(!lecteur.synthePret());
        // Opened, the panel has the synthesiser loaded before any command is chosen.
        clic(b.controle("CmdMusique"));
        QTRY_VERIFY_WITH_TIMEOUT(lecteur.synthePret(), 20000);
        QCOMPARE(lecteur.Mode(), QStringLiteral("not ready"));
    }

    void chaqueEntreeFermeLePanneau_data()
    {
        QTest::addColumn<QByteArray>("entree");
        for (const char* e : {"mnuChargerSon", "mnuJouerSon", "mnuChargerJouerSon", "mnuDureeSon", "mnuRepetSon",
                              "mnuArretSon", "mnuFerMnu"})
            QTest::newRow(e) << QByteArray(e);
    }
    void chaqueEntreeFermeLePanneau()
    {
        QFETCH(QByteArray, entree);
        BancFenPrin b;
        b.charger();
        menu(b, entree.constData());
        // Nothing loaded: the dialog is cancelled, and nothing else happens.
        const bool charge = entree == "mnuChargerSon" || entree == "mnuChargerJouerSon";
        QCOMPARE(b.services.dialoguesSon.size(), charge ? 1 : 0);
        QVERIFY(b.controle("FondMessage")->isHidden());
        QCOMPARE(b.fen->sons().MCIWnd1().Mode(), QStringLiteral("not ready"));
    }

    void dialogueEtDuree()
    {
        BancFenPrin b;
        FenPrin& f = b.charger();
        QCOMPARE(f.sons().MCIWnd1().objectName(), QStringLiteral("MCIWnd1"));
        QVERIFY(f.findChild<QTimer*>(QStringLiteral("Timer2")));
        b.services.fichiersSon.push_back(long_);
        menu(b, "mnuChargerSon");
        QCOMPARE(b.services.dialoguesSon,
                 (QList<QPair<QString, QString>>{
                     {QStringLiteral("Nom du fichier MIDI, RMI ou WAVE"),
                      QStringLiteral("Sons MID, RMI et WAV|*.mid;*.rmi;*.wav|Tous les fichiers|*.*")}}));
        QTRY_COMPARE(f.sons().MCIWnd1().FileName(), long_);
        QCOMPARE(f.sons().MCIWnd1().Mode(), QStringLiteral("stopped"));
        b.services.sons.clear();
        menu(b, "mnuDureeSon");
        auto* message = b.controle<PanneauSkin>("FondMessage");
        QVERIFY(message->isVisible());
        QCOMPARE(message->titre(), QStringLiteral("Durée du son"));
        QCOMPARE(message->pos(), twips::rect(720, 2220, 0, 0).topLeft());
        QCOMPARE(b.controle<QLabel>("LblMessage")->text(), QStringLiteral("Le son dure 2mn. 5sec. 500ms."));
        QVERIFY(!b.controle("IcoFondMessage")->isEnabled());
        QCOMPARE(b.services.sons, QList<int>{22});
        clic(b.controle("CmdOKMsg"));
        QVERIFY(message->isHidden());
        // An error message shown later has its icon back.
        f.afficherMessage(QStringLiteral("Erreur"), QStringLiteral("x"));
        QVERIFY(b.controle("IcoFondMessage")->isEnabled());
    }

    void annulationLaisseJouer()
    {
        BancFenPrin b;
        FenPrin& f = b.charger();
        f.sons().MCIWnd1().setSortieMuette(true);
        b.services.fichiersSon.push_back(court_);
        menu(b, "mnuChargerJouerSon");
        QTRY_COMPARE(f.sons().MCIWnd1().Mode(), QStringLiteral("playing"));
        b.services.fichiersSon.push_back(std::nullopt);
        menu(b, "mnuChargerSon");
        QCOMPARE(f.sons().MCIWnd1().FileName(), court_);
        QCOMPARE(f.sons().MCIWnd1().Mode(), QStringLiteral("playing"));
        // Repeat, then stop from the panel.
        menu(b, "mnuRepetSon");
        QVERIFY(f.sons().RepetitionSon());
        menu(b, "mnuArretSon");
        QVERIFY(!f.sons().RepetitionSon());
        QCOMPARE(f.sons().MCIWnd1().Mode(), QStringLiteral("stopped"));
    }
};

QTEST_MAIN(TestSons)
#include "tst_sons.moc"
