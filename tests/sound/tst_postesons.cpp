// The six commands of one place and its repeat: the dialog, the
// duration text, repeat and stop, a load while a sound plays, cancels and broken files.
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "sound/postesons.h"
#include "sound/synthemidi.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>

using namespace fixtures;

namespace {
// A place with a scripted dialog, recording what it shows. Silent output.
struct Banc {
    PosteSons poste{QStringLiteral("Timer2")};
    std::deque<std::optional<QString>> reponses; // default: cancel
    QList<QPair<QString, QString>> dialogues;
    QStringList durees, signales;
    QStringList modes;
    QList<qint64> instants;
    QElapsedTimer horloge;

    Banc()
    {
        horloge.start();
        poste.MCIWnd1().setSortieMuette(true);
        poste.choisirFichier = [this](const QString& titre, const QString& filtre) -> std::optional<QString> {
            dialogues << qMakePair(titre, filtre);
            if (reponses.empty())
                return std::nullopt;
            auto r = reponses.front();
            reponses.pop_front();
            return r;
        };
        poste.montrerDuree = [this](const QString& t) { durees << t; };
        poste.signaler = [this](const QString& t) { signales << t; };
        QObject::connect(&poste.MCIWnd1(), &LecteurMci::NotifyMode, &poste, [this](const QString& m) {
            modes << m;
            instants << horloge.elapsed();
        });
    }
    void charger(const QString& chemin)
    {
        reponses.push_back(chemin);
        poste.mnuChargerSon();
        attendre();
    }
    // Files are read off the interface thread: the test waits as a user would.
    void attendre() { QTRY_VERIFY(!poste.MCIWnd1().enOuverture()); }
    int nombre(const QString& mode) const { return int(modes.count(mode)); }
};
} // namespace

class TestPosteSons : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dossier_;
    QString court_, autre_, long_, tempos_, rmi_, troisMinutes_, interminable_, tronque_, texte_;

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        QVERIFY(dossier_.isValid());
        const auto ecrit = [this](const char* nom, const QByteArray& contenu) {
            return ecrireDans(dossier_, QString::fromLatin1(nom), contenu);
        };
        court_ = ecrit("court.wav", wav(8000, 1, 16, 1200)); // 150 ms
        autre_ = ecrit("autre.wav", wav(8000, 1, 16, 1600)); // 200 ms
        long_ = ecrit("long.wav", wav(8000, 1, 8, 8000 * 1255 / 10));
        tempos_ = ecrit("tempos.mid", midiTempos());
        rmi_ = ecrit("tempos.rmi", rmi(midiTempos()));
        troisMinutes_ = ecrit("trois.mid", midiDuree(180000));
        interminable_ = ecrit("interminable.mid", midiInterminable(3000));
        tronque_ = ecrit("tronque.mid", midiTronque());
        texte_ = ecrit("texte.mid", niSonNiMidi());
    }

    void texteDuree_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("texte");
        QTest::newRow("125500") << qint64(125500) << QStringLiteral("Le son dure 2mn. 5sec. 500ms.");
        QTest::newRow("59999") << qint64(59999) << QStringLiteral("Le son dure 0mn. 59sec. 999ms.");
        QTest::newRow("180000") << qint64(180000) << QStringLiteral("Le son dure 3mn. 0sec. 0ms.");
        QTest::newRow("1") << qint64(1) << QStringLiteral("Le son dure 0mn. 0sec. 1ms.");
        QTest::newRow("une heure") << qint64(3600000 + 61001) << QStringLiteral("Le son dure 61mn. 1sec. 1ms.");
    }
    void texteDuree()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, texte);
        QCOMPARE(texteDureeSon(ms), texte);
    }

    void dureeDesFichiers_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("texte");
        QTest::newRow("WAVE") << long_ << QStringLiteral("Le son dure 2mn. 5sec. 500ms.");
        QTest::newRow("MIDI à tempos") << tempos_ << QStringLiteral("Le son dure 0mn. 59sec. 999ms.");
        QTest::newRow("RMI") << rmi_ << QStringLiteral("Le son dure 0mn. 59sec. 999ms.");
        QTest::newRow("trois minutes") << troisMinutes_ << QStringLiteral("Le son dure 3mn. 0sec. 0ms.");
        QTest::newRow("retenu à un jour") << interminable_ << QStringLiteral("Le son dure 1440mn. 0sec. 0ms.");
    }
    void dureeDesFichiers()
    {
        QFETCH(QString, fichier);
        QFETCH(QString, texte);
        Banc b;
        b.charger(fichier);
        QCOMPARE(b.dialogues, (QList<QPair<QString, QString>>{
                                  {QStringLiteral("Nom du fichier MIDI, RMI ou WAVE"),
                                   QStringLiteral("Sons MID, RMI et WAV|*.mid;*.rmi;*.wav|Tous les fichiers|*.*")}}));
        b.poste.mnuDureeSon();
        QCOMPARE(b.durees, QStringList{texte});
        QCOMPARE(b.poste.MCIWnd1().Mode(), QStringLiteral("stopped"));
    }

    void dureeMontreRienSansSonNiLongueur()
    {
        Banc b;
        b.poste.mnuDureeSon();
        const QString vide = dossier_.filePath(QStringLiteral("vide.wav"));
        QVERIFY(ecrire(vide, wav(8000, 1, 16, 0)));
        b.charger(vide);
        QCOMPARE(b.poste.MCIWnd1().FileName(), vide);
        b.poste.mnuDureeSon();
        QVERIFY(b.durees.isEmpty());
    }

    void repetitionPuisArret()
    {
        Banc b;
        QTimer& minuterie = b.poste.repetition().minuterie();
        QCOMPARE(minuterie.objectName(), QStringLiteral("Timer2"));
        QCOMPARE(minuterie.interval(), 10);
        QVERIFY(!minuterie.isActive());
        b.charger(court_);
        b.poste.mnuRepetSon();
        QVERIFY(b.poste.RepetitionSon());
        // Each end starts it again from 0 about 10 ms later, for its whole length.
        QTRY_VERIFY_WITH_TIMEOUT(b.nombre(QStringLiteral("playing")) >= 3, 10000);
        for (int i = 1; i + 1 < b.modes.size(); i += 2) {
            QCOMPARE(b.modes[i], QStringLiteral("stopped"));
            QCOMPARE(b.modes[i + 1], QStringLiteral("playing"));
            QVERIFY(b.instants[i + 1] - b.instants[i] >= 9);
            if (i >= 3)
                QVERIFY(b.instants[i] - b.instants[i - 2] >= 150 + 9);
        }
        b.poste.mnuArretSon();
        QVERIFY(!b.poste.RepetitionSon());
        QVERIFY(!minuterie.isActive());
        QCOMPARE(b.poste.MCIWnd1().Mode(), QStringLiteral("stopped"));
        // The stop's own "stopped" notification does not start it again.
        QTRY_COMPARE(b.modes.last(), QStringLiteral("stopped"));
        const int avant = b.modes.size();
        QSignalSpy spy(&b.poste.MCIWnd1(), &LecteurMci::NotifyMode);
        QVERIFY(!spy.wait(400));
        QCOMPARE(b.modes.size(), avant);
        QVERIFY(!minuterie.isActive());
    }

    void jouerApresLaFinRejoue()
    {
        Banc b;
        b.charger(court_);
        b.poste.mnuJouerSon();
        QTRY_COMPARE_WITH_TIMEOUT(b.modes, (QStringList{"playing", "stopped"}), 5000);
        // Without the repeat the end stays an end.
        QVERIFY(!b.poste.repetition().minuterie().isActive());
        const qint64 rejoue = b.horloge.elapsed();
        b.poste.mnuJouerSon();
        QTRY_COMPARE_WITH_TIMEOUT(b.modes.size(), 4, 5000);
        QVERIFY(b.instants[3] - rejoue >= 150);
    }

    void chargementPendantLaLectureArreteDAbord()
    {
        Banc b;
        b.charger(court_);
        b.poste.mnuRepetSon();
        b.charger(autre_);
        // Closed before the new file is opened; loaded, not played, though the repeat holds.
        QCOMPARE(b.poste.MCIWnd1().FileName(), autre_);
        QCOMPARE(b.poste.MCIWnd1().Mode(), QStringLiteral("stopped"));
        QTRY_COMPARE(b.modes, (QStringList{"playing", "not ready"}));
        QSignalSpy spy(&b.poste.MCIWnd1(), &LecteurMci::NotifyMode);
        QVERIFY(!spy.wait(300));
        // The repeat survives the load: a later end of this file repeats it too.
        b.poste.mnuJouerSon();
        QTRY_VERIFY_WITH_TIMEOUT(b.nombre(QStringLiteral("playing")) >= 3, 10000);
        b.poste.mnuArretSon();
    }

    void annulationLaisseJouer()
    {
        Banc b;
        b.reponses.push_back(court_);
        b.poste.mnuChargerJouerSon();
        b.attendre();
        QCOMPARE(b.poste.MCIWnd1().Mode(), QStringLiteral("playing"));
        b.poste.mnuChargerSon();         // cancelled
        b.reponses.push_back(QString()); // a dialog closed without a name
        b.poste.mnuChargerJouerSon();
        QCOMPARE(b.dialogues.size(), 3);
        QCOMPARE(b.poste.MCIWnd1().FileName(), court_);
        QCOMPARE(b.poste.MCIWnd1().Mode(), QStringLiteral("playing"));
        QTRY_COMPARE_WITH_TIMEOUT(b.modes, (QStringList{"playing", "stopped"}), 5000);
    }

    void fichiersCassesNeJouentPas_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::newRow("MIDI tronqué") << tronque_;
        QTest::newRow("ni son ni MIDI") << texte_;
        QTest::newRow("absent") << dossier_.filePath(QStringLiteral("absent.wav"));
    }
    void fichiersCassesNeJouentPas()
    {
        QFETCH(QString, fichier);
        Banc b;
        b.charger(tempos_);
        b.poste.mnuJouerSon();
        b.reponses.push_back(fichier);
        b.poste.mnuChargerJouerSon();
        b.attendre();
        // The old sound was closed first; nothing else is opened or played, nothing shown.
        QCOMPARE(b.poste.MCIWnd1().FileName(), QString());
        QCOMPARE(b.poste.MCIWnd1().Mode(), QStringLiteral("not ready"));
        b.poste.mnuDureeSon();
        b.poste.mnuJouerSon();
        b.poste.mnuRepetSon();
        b.poste.mnuArretSon();
        QVERIFY(b.durees.isEmpty());
        QVERIFY(b.signales.isEmpty());
        QTRY_COMPARE(b.modes, (QStringList{"playing", "not ready"}));
    }

    void sansSoundFontLeMidiResteMuetEtLeDit()
    {
        qputenv("ORMELLE_SOUNDFONT", dossier_.filePath(QStringLiteral("absente.sf2")).toLocal8Bit());
        Banc b;
        b.charger(tempos_);
        QCOMPARE(b.signales, QStringList{messageSansSoundFont()});
        b.poste.mnuDureeSon();
        QCOMPARE(b.durees, QStringList{QStringLiteral("Le son dure 0mn. 59sec. 999ms.")});
        b.poste.mnuJouerSon();
        QTRY_COMPARE(b.modes, QStringList{"playing"});
        b.poste.mnuArretSon();
        // A WAVE says nothing.
        b.charger(court_);
        QCOMPARE(b.signales.size(), 1);
        qunsetenv("ORMELLE_SOUNDFONT");
    }

    void deuxPostesIndependants()
    {
        Banc fenetre, pleinEcran;
        fenetre.charger(tempos_);
        fenetre.poste.mnuRepetSon();
        pleinEcran.charger(court_);
        pleinEcran.poste.mnuJouerSon();
        pleinEcran.poste.mnuArretSon();
        pleinEcran.poste.mnuDureeSon();
        QCOMPARE(fenetre.poste.MCIWnd1().Mode(), QStringLiteral("playing"));
        QVERIFY(fenetre.poste.RepetitionSon());
        QCOMPARE(pleinEcran.durees, QStringList{QStringLiteral("Le son dure 0mn. 0sec. 150ms.")});
        QTRY_COMPARE(pleinEcran.modes, (QStringList{"playing", "stopped"}));
        QCOMPARE(fenetre.modes, QStringList{"playing"});
    }
};

QTEST_GUILESS_MAIN(TestPosteSons)
#include "tst_postesons.moc"
