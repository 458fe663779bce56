// Reading MIDI and RMI files: lengths from the tempo map to the microsecond, the events a
// synthesiser gets and in which order, the format from the content, and broken files.
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "sound/fichiermidi.h"
#include "sound/sonouvert.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

class TestFichierMidi : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dossier_;
    QString ecrit(const QString& nom, const QByteArray& contenu) { return ecrireDans(dossier_, nom, contenu); }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void dureeSelonLesTempos()
    {
        const ResultatMidi r = lireMidi(midiTempos());
        QVERIFY2(r.morceau, qPrintable(r.erreur));
        QCOMPARE(r.morceau->dureeUs, qint64(59'999'000));
        QCOMPARE(r.morceau->dureeMs(), qint64(59'999));
        // Program change and chord at 0, the chord released after 160 beats: 30 s + 25 s.
        const auto& e = r.morceau->evenements();
        QCOMPARE(int(e.size()), 7);
        QCOMPARE(e[0].statut, quint8(0xC0));
        QCOMPARE(e[3].tempsUs, qint64(0));
        QCOMPARE(e[4].statut, quint8(0x80));
        QCOMPARE(e[4].tempsUs, qint64(55'000'000));
    }

    void tempsFractionnairesSansDerive()
    {
        // Three ticks a beat at one beat a second: a tick is 333,333.33 µs. Added tick by
        // tick in whole microseconds, 2999 ticks would drift by a millisecond.
        PisteMidi p;
        p.tempo(0, 1000000);
        for (int i = 0; i < 2999; ++i)
            p.noteOn(1, 0, 60).noteOff(0, 0, 60);
        p.fin();
        const ResultatMidi r = lireMidi(smf(0, 3, {p}));
        QVERIFY(r.morceau);
        QCOMPARE(r.morceau->dureeUs, qint64(999'666'666));
        QCOMPARE(r.morceau->dureeMs(), qint64(999'666));
        QCOMPARE(r.morceau->evenements()[2].tempsUs, qint64(666'666));
    }

    void divisionSmpteIgnoreLeTempo()
    {
        // 25 frames a second, 40 ticks a frame: one tick a millisecond whatever the tempo.
        PisteMidi p;
        p.tempo(0, 250000).noteOn(0, 0, 60).noteOff(1500, 0, 60).fin(500);
        const quint16 division = quint16((quint8(-25) << 8) | 40);
        const ResultatMidi r = lireMidi(smf(0, division, {p}));
        QVERIFY(r.morceau);
        QCOMPARE(r.morceau->dureeMs(), qint64(2000));
        // 29 stands for 29.97 frames a second.
        PisteMidi q;
        q.fin(2997);
        const ResultatMidi r2997 = lireMidi(smf(0, quint16((quint8(-29) << 8) | 1), {q}));
        QVERIFY(r2997.morceau);
        QCOMPARE(r2997.morceau->dureeUs, qint64(100'000'000));
    }

    void dureeDebordanteRetenue_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::newRow("142 ans") << midiInterminable(1);
        QTest::newRow("au-delà de 64 bits") << midiInterminable(3000);
        QTest::newRow("SMPTE") << midiInterminable(3000, quint16((quint8(-30) << 8) | 1));
    }
    void dureeDebordanteRetenue()
    {
        QFETCH(QByteArray, fichier);
        ResultatMidi r = lireMidi(fichier);
        QVERIFY2(r.morceau, qPrintable(r.erreur));
        QCOMPARE(r.morceau->dureeUs, DureeSonMaxUs);
        OrdonnanceurMidi o(std::make_shared<const MorceauMidi>(std::move(*r.morceau)), 44100);
        QCOMPARE(o.trames(), DureeSonMaxUs / 1'000'000 * 44100);
    }

    void unLotParTampon()
    {
        // Five million notes at the first instant: each buffer takes its share of them and
        // is rendered whole, so that stopping never waits behind the rest.
        ResultatMidi r = lireMidi(midiDense(5'000'000));
        QVERIFY2(r.morceau, qPrintable(r.erreur));
        OrdonnanceurMidi o(std::make_shared<const MorceauMidi>(std::move(*r.morceau)), 44100);
        qint64 envois = 0, rendues = 0;
        const auto envoyer = [&envois](const EvenementMidi&) { ++envois; };
        const auto rendre = [&rendues](qint64, int k) { rendues += k; };
        QCOMPARE(o.avancer(4096, envoyer, rendre), qint64(4096));
        QCOMPARE(rendues, qint64(4096));
        // A few milliseconds of the synthesiser's work, not the song's.
        QVERIFY2(envois > 0 && envois <= 10'000, qPrintable(QString::number(envois)));
    }

    void magasinBorneParSaMemoire()
    {
        // Past its budget the store refuses an event rather than grow.
        const QByteArray gros(8 << 20, '\x01');
        EvenementMidi e;
        e.statut = 0xF0;
        e.sysex = gros.constData();
        e.sysexLongueur = quint32(gros.size());
        MorceauMidi m;
        while (m.ajouter(e))
            QVERIFY(m.nombre() < 100);
        QVERIFY(m.nombre() > 0);
        QVERIFY(m.octets() <= MorceauMidi::OctetsMax);
    }

    void pistesFusionneesDansLeTemps()
    {
        PisteMidi a, b;
        a.noteOn(10, 0, 60).noteOff(10, 0, 60).fin();
        b.noteOn(5, 1, 62).noteOn(5, 1, 64).fin(30);
        const ResultatMidi r = lireMidi(smf(1, 1000, {a, b}));
        QVERIFY(r.morceau);
        QList<int> notes;
        for (const EvenementMidi& e : r.morceau->evenements())
            notes << e.donnee1;
        // At tick 10 the first track's event comes first.
        QCOMPARE(notes, (QList<int>{62, 60, 64, 60}));
        QCOMPARE(r.morceau->dureeUs, qint64(40 * 500)); // tick 40 at 120 bpm, 1000 ticks a beat
    }

    void statutCourantEtExclusifs()
    {
        PisteMidi p;
        p.evenement(0, QByteArray("\xF0\x05\x7E\x7F\x09\x01\xF7", 7)); // GM System On
        p.evenement(0, QByteArray("\x90\x3C\x64", 3)).evenement(10, QByteArray("\x40\x64", 2));
        p.evenement(10, QByteArray("\x3C\x00", 2));                                    // running status, velocity 0
        p.evenement(0, QByteArray("\xC1\x05", 2)).evenement(0, QByteArray("\x06", 1)); // two program changes
        p.evenement(0, QByteArray("\xF7\x02\x01\x02", 4));                             // escape: not sent
        p.fin();
        const ResultatMidi r = lireMidi(smf(0, 480, {p}));
        QVERIFY2(r.morceau, qPrintable(r.erreur));
        const auto& e = r.morceau->evenements();
        QCOMPARE(int(e.size()), 6);
        QCOMPARE(e[0].statut, quint8(0xF0));
        QCOMPARE(QByteArray(e[0].sysex, qsizetype(e[0].sysexLongueur)), QByteArray("\x7E\x7F\x09\x01", 4));
        QCOMPARE(e[2].statut, quint8(0x90));
        QCOMPARE(e[2].donnee1, quint8(0x40));
        QCOMPARE(e[3].donnee2, quint8(0));
        QCOMPARE(e[5].statut, quint8(0xC1));
        QCOMPARE(e[5].donnee1, quint8(6));
    }

    void pisteSansFinAcceptee()
    {
        PisteMidi p;
        p.noteOn(0, 0, 60).noteOff(480, 0, 60);
        const ResultatMidi r = lireMidi(smf(0, 480, {p}));
        QVERIFY(r.morceau);
        QCOMPARE(r.morceau->dureeMs(), qint64(500));
    }

    void format2EnchaineLesMotifs()
    {
        PisteMidi a, b;
        a.noteOn(0, 0, 60).noteOff(480, 0, 60).fin();
        b.noteOn(0, 0, 62).noteOff(960, 0, 62).fin();
        const ResultatMidi r = lireMidi(smf(2, 480, {a, b}));
        QVERIFY(r.morceau);
        QCOMPARE(r.morceau->dureeMs(), qint64(1500));
        QCOMPARE(r.morceau->evenements()[2].tempsUs, qint64(500'000));
    }

    void rmiDeballe()
    {
        const QByteArray midi = midiTempos();
        QCOMPARE(deballerRmi(rmi(midi)).value_or(QByteArrayView()).toByteArray(), midi);
        QVERIFY(!deballerRmi(midi));
        QVERIFY(!deballerRmi(wav(8000, 1, 8, 10)));
        // A RIFF RMID file without a data chunk.
        QVERIFY(!deballerRmi("RIFF" + le32(4) + "RMID"));
    }

    void fichiersCasses_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        const QByteArray bon = midiTempos();
        QTest::newRow("piste coupée") << midiTronque();
        QTest::newRow("en-tête seul") << bon.left(14);
        QTest::newRow("en-tête coupé") << bon.left(10);
        QByteArray division0 = bon;
        division0[12] = 0;
        division0[13] = 0;
        QTest::newRow("division nulle") << division0;
        PisteMidi coupe;
        coupe.evenement(0, QByteArray("\x90\x3C", 2));
        QTest::newRow("événement coupé dans sa piste") << smf(0, 96, {coupe});
        PisteMidi sansEtat;
        sansEtat.evenement(0, QByteArray("\x3C\x40", 2));
        QTest::newRow("données sans état") << smf(0, 96, {sansEtat});
        PisteMidi vlqLong;
        vlqLong.evenement(0, QByteArray("\xFF\x01\xFF\xFF\xFF\xFF\x01", 7));
        QTest::newRow("longueur de cinq octets") << smf(0, 96, {vlqLong});
        PisteMidi etat;
        etat.evenement(0, QByteArray("\xF4", 1));
        QTest::newRow("état système inconnu") << smf(0, 96, {etat});
        QTest::newRow("texte") << niSonNiMidi();
    }
    void fichiersCasses()
    {
        QFETCH(QByteArray, fichier);
        const ResultatMidi r = lireMidi(fichier);
        QVERIFY(!r.morceau);
        QVERIFY(!r.erreur.isEmpty());
    }

    void chaquePrefixeLuSansPlantage()
    {
        // Any cut of a file: a clean refusal, or (past its last chunk) the whole song.
        const QByteArray bon = midiTempos();
        for (qsizetype n = 0; n <= bon.size(); ++n) {
            const ResultatMidi r = lireMidi(bon.left(n));
            QCOMPARE(bool(r.morceau), n == bon.size());
        }
    }

    void formatSelonLeContenu()
    {
        QVERIFY(dossier_.isValid());
        const ResultatOuverture midi = ouvrirSon(ecrit(QStringLiteral("vrai-midi.wav"), midiTempos()));
        QVERIFY2(midi.son, qPrintable(midi.erreur));
        QCOMPARE(midi.son->format, FormatSon::Midi);
        QCOMPARE(midi.son->dureeMs, qint64(59'999));

        const ResultatOuverture r = ouvrirSon(ecrit(QStringLiteral("enveloppe.mid"), rmi(midiTempos())));
        QVERIFY(r.son);
        QCOMPARE(r.son->format, FormatSon::Rmi);
        QCOMPARE(r.son->dureeMs, qint64(59'999));

        const ResultatOuverture w = ouvrirSon(ecrit(QStringLiteral("vrai-wave.mid"), wav(8000, 1, 8, 8000 * 3 / 2)));
        QVERIFY2(w.son, qPrintable(w.erreur));
        QCOMPARE(w.son->format, FormatSon::Autre);
        QVERIFY(!w.son->estMidi());
        QCOMPARE(w.son->dureeMs, qint64(1500));
        QCOMPARE(w.son->frequence, 8000);

        for (const auto& [nom, contenu] :
             {std::pair{"texte.mid", niSonNiMidi()}, std::pair{"coupe.mid", midiTronque()},
              std::pair{"vide.wav", QByteArray()}, std::pair{"rmi-vide.rmi", QByteArray("RIFF\x04\0\0\0RMID", 12)}}) {
            const ResultatOuverture e = ouvrirSon(ecrit(QString::fromLatin1(nom), contenu));
            QVERIFY2(!e.son, nom);
            QVERIFY2(!e.erreur.isEmpty(), nom);
        }
        QVERIFY(!ouvrirSon(dossier_.filePath(QStringLiteral("absent.wav"))).son);
        QVERIFY(!ouvrirSon(dossier_.path()).son);
    }
};

QTEST_GUILESS_MAIN(TestFichierMidi)
#include "tst_fichiermidi.moc"
