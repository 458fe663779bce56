// The decoders behind the player: libsndfile's samples as they are in the file, and MIDI
// rendered by FluidSynth with the installed General MIDI SoundFont, to the exact frame.
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "sound/sonouvert.h"
#include "sound/sourceson.h"
#include "sound/synthemidi.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <vector>

using namespace fixtures;

namespace {
double efficace(const std::vector<float>& s, size_t debut, size_t fin)
{
    double somme = 0;
    for (size_t i = debut; i < fin; ++i)
        somme += double(s[i]) * s[i];
    return fin > debut ? std::sqrt(somme / double(fin - debut)) : 0;
}

// Everything a source gives, read in uneven slices as the output asks for it.
std::vector<float> toutLire(SourceSon& source)
{
    std::vector<float> tout;
    std::vector<float> tranche(size_t(1100 * source.canaux()));
    for (qint64 n = 1;; n = n % 997 + 37) { // 1 to 1033 frames
        const qint64 k = source.lire(tranche.data(), n);
        tout.insert(tout.end(), tranche.begin(), tranche.begin() + k * source.canaux());
        if (k < n)
            return tout;
    }
}
} // namespace

class TestSources : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dossier_;
    QString ecrit(const QString& nom, const QByteArray& contenu) { return ecrireDans(dossier_, nom, contenu); }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void wavLuTelQuel()
    {
        const QString chemin = ecrit(QStringLiteral("la.wav"), wav(22050, 2, 16, 2205, 441, 0.5));
        QString erreur;
        auto source = ouvrirSourceEchantillons(chemin, &erreur);
        QVERIFY2(source, qPrintable(erreur));
        QCOMPARE(source->frequence(), 22050);
        QCOMPARE(source->canaux(), 2);
        QCOMPARE(source->trames(), qint64(2205));
        const std::vector<float> tout = toutLire(*source);
        QCOMPARE(tout.size(), size_t(2205 * 2));
        // A quarter period of 441 Hz at 22050 Hz is 12.5 frames: sample 25 is the first trough.
        QVERIFY(
            std::abs(tout[2 * 25] - float(std::lround(32767 * 0.5 * std::sin(2 * M_PI * 441 * 25 / 22050.0)) / 32768.0))
            < 1e-6f);
        QCOMPARE(tout[2 * 25], tout[2 * 25 + 1]);
        QVERIFY(std::abs(efficace(tout, 0, tout.size()) - 0.5 / std::sqrt(2.0)) < 0.01);
        source->rembobiner();
        QCOMPARE(toutLire(*source), tout);
        QCOMPARE(source->lire(std::vector<float>(8).data(), 4), qint64(0));
    }

    void fichierIllisible()
    {
        QString erreur;
        QVERIFY(!ouvrirSourceEchantillons(ecrit(QStringLiteral("t.wav"), niSonNiMidi()), &erreur));
        QVERIFY(!erreur.isEmpty());
    }

    void soundFontImposeeOuAbsente()
    {
        const QByteArray avant = qgetenv("ORMELLE_SOUNDFONT");
        const bool etait = qEnvironmentVariableIsSet("ORMELLE_SOUNDFONT");
        qputenv("ORMELLE_SOUNDFONT", dossier_.filePath(QStringLiteral("absente.sf2")).toLocal8Bit());
        QCOMPARE(trouverSoundFont(), QString());
        const QString faux = ecrit(QStringLiteral("fausse.sf2"), niSonNiMidi());
        qputenv("ORMELLE_SOUNDFONT", faux.toLocal8Bit());
        QCOMPARE(trouverSoundFont(), faux);
        QString erreur;
        QVERIFY(!SyntheMidi::creer(faux, SyntheMidi::FrequenceDefaut, &erreur));
        QVERIFY(erreur.contains(faux));
        if (etait)
            qputenv("ORMELLE_SOUNDFONT", avant);
        else
            qunsetenv("ORMELLE_SOUNDFONT");
        QVERIFY(messageSansSoundFont().contains(QStringLiteral("timgm6mb-soundfont")));
    }

    void midiRenduALaTrameExacte()
    {
        const QString soundFont = trouverSoundFont();
        if (soundFont.isEmpty())
            QSKIP("aucune SoundFont General MIDI installée (timgm6mb-soundfont)");
        auto synthe = SyntheMidi::creer(soundFont);
        QVERIFY(synthe);
        // A note from 0.2 s to 0.7 s, then silence until the end at 1.0 s.
        PisteMidi p;
        p.tempo(0, 1000000).programme(0, 0, 0).noteOn(200, 0, 69, 120).noteOff(500, 0, 69).fin(300);
        ResultatMidi lu = lireMidi(smf(0, 1000, {p}));
        QVERIFY(lu.morceau);
        auto source = creerSourceMidi(std::make_shared<const MorceauMidi>(std::move(*lu.morceau)), *synthe);
        QCOMPARE(source->canaux(), 2);
        QCOMPARE(source->trames(), qint64(44100));
        const std::vector<float> tout = toutLire(*source);
        QCOMPARE(tout.size(), size_t(2 * 44100));
        const auto trame = [](double s) { return size_t(2 * std::lround(s * 44100)); };
        const double avant = efficace(tout, 0, trame(0.19));
        const double pendant = efficace(tout, trame(0.3), trame(0.6));
        QVERIFY2(avant < 1e-4, qPrintable(QString::number(avant)));
        QVERIFY2(pendant > 0.01, qPrintable(QString::number(pendant)));
        // Played again from 0: the same note at the same place, nothing left over.
        source->rembobiner();
        const std::vector<float> encore = toutLire(*source);
        QCOMPARE(encore.size(), tout.size());
        QVERIFY(efficace(encore, 0, trame(0.19)) < 1e-4);
        QVERIFY(std::abs(efficace(encore, trame(0.3), trame(0.6)) - pendant) < pendant * 0.2);
    }
};

QTEST_GUILESS_MAIN(TestSources)
#include "tst_sources.moc"
