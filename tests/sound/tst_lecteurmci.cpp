// The media control's surface: opening, lengths, the modes and their notifications in
// real time, and what a closed device, a broken file or a second player do. The output is
// the silent walk here, so that nothing is heard and no machine's sound card matters;
// tests/sound/tst_pulse.cpp plays through a real sound server.
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "sound/lecteurmci.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

namespace {
// Each notification with its mode and when it came.
struct Journal {
    QStringList modes;
    QList<qint64> instants;
    QElapsedTimer horloge;

    explicit Journal(LecteurMci& l)
    {
        horloge.start();
        QObject::connect(&l, &LecteurMci::NotifyMode, &l, [this](const QString& mode) {
            modes << mode;
            instants << horloge.elapsed();
        });
    }
};
// The resident high-water mark of this process, started again from what is resident now;
// -1 when the kernel does not allow it.
qint64 remettrePic()
{
    QFile remise(QStringLiteral("/proc/self/clear_refs"));
    if (!remise.open(QIODevice::WriteOnly) || remise.write("5") != 1)
        return -1;
    remise.close();
    QFile etat(QStringLiteral("/proc/self/status"));
    if (!etat.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& ligne : etat.readAll().split('\n'))
        if (ligne.startsWith("VmHWM:"))
            return ligne.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}
} // namespace

class TestLecteurMci : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dossier_;
    QString court_, long_, midi_, rmi_, tronque_, texte_;

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        QVERIFY(dossier_.isValid());
        const auto ecrit = [this](const char* nom, const QByteArray& contenu) {
            return ecrireDans(dossier_, QString::fromLatin1(nom), contenu);
        };
        court_ = ecrit("court.wav", wav(8000, 1, 16, 2400));          // 300 ms
        long_ = ecrit("long.wav", wav(8000, 1, 8, 8000 * 1255 / 10)); // 125,500 ms
        midi_ = ecrit("tempos.mid", midiTempos());
        rmi_ = ecrit("tempos.rmi", rmi(midiTempos()));
        tronque_ = ecrit("tronque.mid", midiTronque());
        texte_ = ecrit("texte.wav", niSonNiMidi());
    }

    void fermeAuDepart()
    {
        LecteurMci l;
        Journal j(l);
        QCOMPARE(l.Mode(), QStringLiteral("not ready"));
        QCOMPARE(l.FileName(), QString());
        QCOMPARE(l.Length(), qint64(0));
        QCOMPARE(l.TimeFormat(), QStringLiteral("ms"));
        // A closed device takes the commands and does nothing.
        for (const char* c : {"play from 0", "stop", "close", "play"})
            QVERIFY(l.Command(QString::fromLatin1(c)));
        QVERIFY(!l.Command(QStringLiteral("pause")));
        QVERIFY(!l.setTimeFormat(QStringLiteral("frames")));
        QCOMPARE(l.TimeFormat(), QStringLiteral("ms"));
        QCoreApplication::processEvents();
        QVERIFY(j.modes.isEmpty());
        QCOMPARE(l.Mode(), QStringLiteral("not ready"));
    }

    void longueurs_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<qint64>("longueur");
        QTest::newRow("WAVE, du nombre de trames") << long_ << qint64(125'500);
        QTest::newRow("MIDI, des tempos") << midi_ << qint64(59'999);
        QTest::newRow("RMI") << rmi_ << qint64(59'999);
    }
    void longueurs()
    {
        QFETCH(QString, fichier);
        QFETCH(qint64, longueur);
        LecteurMci l;
        Journal j(l);
        QVERIFY(l.setFileName(fichier));
        QCOMPARE(l.FileName(), fichier);
        QVERIFY(l.setTimeFormat(QStringLiteral("ms")));
        QCOMPARE(l.Length(), longueur);
        // Opening is no notification: a repeat in force must not start a sound only loaded.
        QCOMPARE(l.Mode(), QStringLiteral("stopped"));
        QCoreApplication::processEvents();
        QVERIFY(j.modes.isEmpty());
    }

    void joueEnTempsReelPuisSArrete()
    {
        LecteurMci l;
        l.setSortieMuette(true);
        Journal j(l);
        QVERIFY(l.setFileName(court_));
        QVERIFY(l.Command(QStringLiteral("play from 0")));
        QCOMPARE(l.Mode(), QStringLiteral("playing"));
        // Posted: the notification never runs inside the command.
        QVERIFY(j.modes.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(j.modes, (QStringList{"playing", "stopped"}), 5000);
        QVERIFY2(j.instants[1] >= 300, qPrintable(QString::number(j.instants[1])));
        QCOMPARE(l.Mode(), QStringLiteral("stopped"));

        // Play after the end: from 0 again, for the whole length.
        const qint64 relance = j.horloge.elapsed();
        l.jouerDepuisDebut();
        QTRY_COMPARE_WITH_TIMEOUT(j.modes.size(), 4, 5000);
        QCOMPARE(j.modes.mid(2), (QStringList{"playing", "stopped"}));
        QVERIFY(j.instants[3] - relance >= 300);
    }

    void relanceEnCoursRepartDeZero()
    {
        LecteurMci l;
        l.setSortieMuette(true);
        Journal j(l);
        QVERIFY(l.setFileName(court_));
        l.jouerDepuisDebut();
        QTRY_COMPARE(j.modes.size(), 1);
        QTest::qWait(150);
        const qint64 relance = j.horloge.elapsed();
        l.jouerDepuisDebut(); // still playing: no new notification
        QTRY_COMPARE_WITH_TIMEOUT(j.modes, (QStringList{"playing", "stopped"}), 5000);
        QVERIFY(j.instants[1] - relance >= 300);
    }

    void arretSansFinTardive()
    {
        LecteurMci l;
        l.setSortieMuette(true);
        Journal j(l);
        QVERIFY(l.setFileName(court_));
        l.jouerDepuisDebut();
        l.Command(QStringLiteral("stop"));
        QCOMPARE(l.Mode(), QStringLiteral("stopped"));
        QTRY_COMPARE(j.modes, (QStringList{"playing", "stopped"}));
        // The end the stopped play would have had is not reported.
        QSignalSpy spy(&l, &LecteurMci::NotifyMode);
        QVERIFY(!spy.wait(600));
        l.Command(QStringLiteral("stop")); // already stopped: nothing
        QCoreApplication::processEvents();
        QCOMPARE(j.modes.size(), 2);
    }

    void fermerPendantLaLecture()
    {
        LecteurMci l;
        l.setSortieMuette(true);
        Journal j(l);
        QVERIFY(l.setFileName(court_));
        l.jouerDepuisDebut();
        l.Command(QStringLiteral("close"));
        QCOMPARE(l.FileName(), QString());
        QCOMPARE(l.Length(), qint64(0));
        QTRY_COMPARE(j.modes, (QStringList{"playing", "not ready"}));
        QSignalSpy spy(&l, &LecteurMci::NotifyMode);
        QVERIFY(!spy.wait(600));
    }

    void fichiersCassesLaissentFerme_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::newRow("MIDI tronqué") << tronque_;
        QTest::newRow("ni son ni MIDI") << texte_;
        QTest::newRow("absent") << dossier_.filePath(QStringLiteral("absent.mid"));
        QTest::newRow("nom vide") << QString();
    }
    void fichiersCassesLaissentFerme()
    {
        QFETCH(QString, fichier);
        LecteurMci l;
        l.setSortieMuette(true);
        Journal j(l);
        QVERIFY(l.setFileName(court_));
        l.jouerDepuisDebut();
        QVERIFY(!l.setFileName(fichier));
        QVERIFY(!l.erreur().isEmpty());
        QCOMPARE(l.FileName(), QString());
        QCOMPARE(l.Length(), qint64(0));
        QCOMPARE(l.Mode(), QStringLiteral("not ready"));
        l.jouerDepuisDebut();
        QTRY_COMPARE(j.modes, (QStringList{"playing", "not ready"}));
        // A good file opens again afterwards.
        QVERIFY(l.setFileName(midi_));
        QVERIFY(l.erreur().isEmpty());
    }

    void morceauDenseLuACoteSousLeBudget()
    {
        // Five million notes at one instant, 15 MB: read beside the interface, whose timer
        // goes on ticking, in a small part of the 512 MB a file may cost.
        const QString dense = ecrireDans(dossier_, QStringLiteral("dense.mid"), midiDense(5'000'000));
        LecteurMci l;
        l.setSortieMuette(true);
        QSignalSpy ouvert(&l, &LecteurMci::ouvert);
        int tics = 0;
        QTimer minuterie;
        connect(&minuterie, &QTimer::timeout, this, [&tics] { ++tics; });
        const qint64 base = remettrePic();
        l.ouvrir(dense);
        QVERIFY(l.enOuverture());
        QCOMPARE(l.FileName(), QString());
        minuterie.start(1);
        QVERIFY(ouvert.wait(60000));
        QVERIFY2(ouvert.first().first().toBool(), qPrintable(l.erreur()));
        QVERIFY(tics > 0);
        QCOMPARE(l.Length(), qint64(500));
        if (base < 0)
            QSKIP("le noyau ne laisse pas remettre à zéro le pic de mémoire résidente");
        const qint64 hausse = remettrePic() - base;
        QVERIFY2(hausse < 128LL << 20, qPrintable(QStringLiteral("%1 Mo").arg(hausse >> 20)));
    }

    void ouvertureAbandonnee()
    {
        // A newer opening and a stop drop the one under way: only the last file opens.
        const QString dense = ecrireDans(dossier_, QStringLiteral("dense2.mid"), midiDense(100'000));
        LecteurMci l;
        QSignalSpy ouvert(&l, &LecteurMci::ouvert);
        l.ouvrir(dense);
        l.ouvrir(court_);
        QVERIFY(ouvert.wait());
        QCOMPARE(l.FileName(), court_);
        l.ouvrir(dense);
        l.Command(QStringLiteral("stop"));
        QVERIFY(!l.enOuverture());
        l.ouvrir(midi_);
        QVERIFY(ouvert.wait());
        QCOMPARE(ouvert.size(), 2);
        QCOMPARE(l.FileName(), midi_);
        QCOMPARE(l.Length(), qint64(59'999));
    }

    void deuxLecteursIndependants()
    {
        LecteurMci a, b;
        a.setSortieMuette(true);
        b.setSortieMuette(true);
        Journal ja(a), jb(b);
        QVERIFY(a.setFileName(midi_));
        QVERIFY(b.setFileName(court_));
        a.jouerDepuisDebut();
        b.jouerDepuisDebut();
        b.arreter();
        b.fermer();
        QCOMPARE(a.Mode(), QStringLiteral("playing"));
        QCOMPARE(a.FileName(), midi_);
        QTRY_COMPARE(jb.modes, (QStringList{"playing", "stopped", "not ready"}));
        QCOMPARE(ja.modes, QStringList{"playing"});
        // Both can play at once.
        QVERIFY(b.setFileName(court_));
        b.jouerDepuisDebut();
        QTRY_COMPARE_WITH_TIMEOUT(jb.modes.size(), 5, 5000);
        QCOMPARE(a.Mode(), QStringLiteral("playing"));
        QCOMPARE(ja.modes, QStringList{"playing"});
    }

    void midiMarcheEnSilence()
    {
        // 0.4 s of MIDI: the walk follows the tempo map's length.
        const QString chemin = dossier_.filePath(QStringLiteral("court.mid"));
        QVERIFY(ecrire(chemin, midiDuree(400)));
        LecteurMci l;
        l.setSortieMuette(true);
        Journal j(l);
        QVERIFY(l.setFileName(chemin));
        QCOMPARE(l.Length(), qint64(400));
        l.jouerDepuisDebut();
        QTRY_COMPARE_WITH_TIMEOUT(j.modes, (QStringList{"playing", "stopped"}), 5000);
        QVERIFY(j.instants[1] >= 400);
    }

    void detruitPendantLaLecture()
    {
        auto l = std::make_unique<LecteurMci>();
        QVERIFY(l->setFileName(midi_));
        l->jouerDepuisDebut();
        QCoreApplication::processEvents();
        l.reset(); // the thread ends and takes the sound with it
    }
};

QTEST_GUILESS_MAIN(TestLecteurMci)
#include "tst_lecteurmci.moc"
