// The full-screen menu's player: its own MCIWnd1 and Timer1, its duration in the viewer's
// message panel, a cancelled dialog that is a cancel (never a close followed by opening
// the last name the dialog held), and no sight of the main window's player.
#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "commun/servicesfactices.h"
#include "fullscreen/pleinecran.h"
#include "fullscreen/sonspleinecran.h"
#include "main_window/fenprin.h"
#include "sound/postesons.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

class TestSonsPleinEcran : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dossier_;
    std::unique_ptr<Reglages> reglages_;
    ServicesFactices services_;
    std::unique_ptr<General> g_;
    QString court_, tempos_;

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        QVERIFY(dossier_.isValid());
        reglages_ = std::make_unique<Reglages>(dossier_.filePath(QStringLiteral("Ormelle.ini")));
        g_ = std::make_unique<General>(*reglages_, services_);
        court_ = dossier_.filePath(QStringLiteral("court.wav"));
        tempos_ = dossier_.filePath(QStringLiteral("tempos.mid"));
        QVERIFY(ecrire(court_, wav(8000, 1, 16, 2400)));
        QVERIFY(ecrire(tempos_, midiTempos()));
    }

    void dureeDansLePanneauDeLaVue()
    {
        PleinEcran vue(*g_);
        // Driven as the menu drives it, through its six commands.
        LecteurMusique* musique = new MusiquePleinEcran(*g_, vue);
        QVERIFY(vue.findChild<QTimer*>(QStringLiteral("Timer1")));
        QVERIFY(vue.findChild<LecteurMci*>(QStringLiteral("MCIWnd1")));
        QVERIFY(!musique->sonCharge());
        services_.fichiersSon.push_back(tempos_);
        musique->chargerSon();
        QTRY_VERIFY(musique->sonCharge());
        QCOMPARE(services_.dialoguesSon.last().first, QStringLiteral("Nom du fichier MIDI, RMI ou WAVE"));
        services_.sons.clear();
        musique->dureeSon();
        auto* message = vue.findChild<PanneauSkin*>(QStringLiteral("FondMessage"));
        QVERIFY(message->isVisibleTo(&vue));
        QCOMPARE(message->titre(), QStringLiteral("Durée du son"));
        QCOMPARE(vue.findChild<QLabel*>(QStringLiteral("LblMessage"))->text(),
                 QStringLiteral("Le son dure 0mn. 59sec. 999ms."));
        QVERIFY(!vue.findChild<QWidget*>(QStringLiteral("IcoFondMessage"))->isEnabled());
        QCOMPARE(services_.sons, QList<int>{22});
    }

    void annulationEstUneAnnulation()
    {
        PleinEcran vue(*g_);
        PosteSons* sons = &(new MusiquePleinEcran(*g_, vue))->sons();
        sons->MCIWnd1().setSortieMuette(true);
        QSignalSpy modes(&sons->MCIWnd1(), &LecteurMci::NotifyMode);
        services_.fichiersSon.push_back(tempos_);
        sons->mnuChargerJouerSon();
        QTRY_COMPARE(sons->MCIWnd1().Mode(), QStringLiteral("playing"));
        // Cancelled twice: the sound is neither closed nor opened again.
        sons->mnuChargerSon();
        sons->mnuChargerJouerSon();
        QCOMPARE(sons->MCIWnd1().FileName(), tempos_);
        QCOMPARE(sons->MCIWnd1().Mode(), QStringLiteral("playing"));
        QTRY_COMPARE(modes.size(), 1);
        QVERIFY(!modes.wait(200));
    }

    void independantDeLaFenetrePrincipale()
    {
        FenPrin fenetre(*g_);
        PleinEcran vue(*g_);
        PosteSons* plein = &(new MusiquePleinEcran(*g_, vue))->sons();
        fenetre.sons().MCIWnd1().setSortieMuette(true);
        plein->MCIWnd1().setSortieMuette(true);
        services_.fichiersSon.push_back(tempos_);
        fenetre.sons().mnuRepetSon(); // nothing loaded yet: nothing plays
        fenetre.sons().mnuChargerJouerSon();
        QTRY_COMPARE(fenetre.sons().MCIWnd1().Mode(), QStringLiteral("playing"));
        // The full-screen player sees nothing of it, and its commands leave it alone.
        plein->mnuDureeSon();
        plein->mnuArretSon();
        QCOMPARE(plein->MCIWnd1().FileName(), QString());
        QCOMPARE(fenetre.sons().MCIWnd1().Mode(), QStringLiteral("playing"));
        QVERIFY(fenetre.sons().RepetitionSon());
        // Both can sound at once.
        services_.fichiersSon.push_back(court_);
        plein->mnuChargerJouerSon();
        QTRY_COMPARE(plein->MCIWnd1().Mode(), QStringLiteral("playing"));
        QCOMPARE(fenetre.sons().MCIWnd1().FileName(), tempos_);
        QTRY_COMPARE_WITH_TIMEOUT(plein->MCIWnd1().Mode(), QStringLiteral("stopped"), 5000);
        QCOMPARE(fenetre.sons().MCIWnd1().Mode(), QStringLiteral("playing"));
    }

    void laVueFermeeEmporteSonSon()
    {
        auto vue = std::make_unique<PleinEcran>(*g_);
        PosteSons* sons = &(new MusiquePleinEcran(*g_, *vue))->sons();
        services_.fichiersSon.push_back(tempos_);
        sons->mnuChargerJouerSon();
        vue.reset(); // its player and its thread go with it
    }
};

QTEST_MAIN(TestSonsPleinEcran)
#include "tst_sonspleinecran.moc"
