// Decoding the cue files, and the promise that a machine without sound never waits.
#include "sound/sonscourts.h"
#include "commun/connexionsrompues.h"

#include <QFile>
#include <QMediaDevices>
#include <QtEndian>
#include <QtTest>

namespace {
QByteArray le16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray morceau(const QByteArray& id, const QByteArray& contenu, quint32 annonce = 0xFFFFFFFF)
{
    QByteArray m = id + le32(annonce == 0xFFFFFFFF ? quint32(contenu.size()) : annonce) + contenu;
    if (contenu.size() % 2)
        m += '\0';
    return m;
}
QByteArray fmt(quint16 codage, quint16 canaux, quint32 frequence, quint16 bits)
{
    const quint16 bloc = quint16(canaux * bits / 8);
    return le16(codage) + le16(canaux) + le32(frequence) + le32(frequence * bloc) + le16(bloc) + le16(bits);
}
QByteArray riff(const QByteArray& morceaux)
{
    return "RIFF" + le32(quint32(4 + morceaux.size())) + "WAVE" + morceaux;
}
QByteArray pcm16Mono(int octets)
{
    return riff(morceau("fmt ", fmt(1, 1, 8000, 16)) + morceau("data", QByteArray(octets, 'x')));
}
// `n` samples at half the full scale, PCM (unsigned at 8 bits) or 32-bit float.
QByteArray demiEchelle(quint16 codage, quint16 bits, int n)
{
    QByteArray un =
        bits == 8 ? QByteArray(1, '\xC0') : le32(codage == 3 ? 0x3F000000 : 1u << (bits - 2)).left(bits / 8);
    return un.repeated(n);
}
QByteArray wavDemiEchelle(quint16 codage, quint16 canaux, quint32 frequence, quint16 bits, int trames)
{
    return riff(morceau("fmt ", fmt(codage, canaux, frequence, bits))
                + morceau("data", demiEchelle(codage, bits, trames * canaux)));
}
} // namespace

class TestSons : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void cuesDuProgrammeLisibles_data()
    {
        QTest::addColumn<int>("numero");
        for (int n = 19; n <= 23; ++n)
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void cuesDuProgrammeLisibles()
    {
        QFETCH(int, numero);
        QFile f(QStringLiteral(":/sons/%1.wav").arg(numero));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const auto son = lireWav(f.readAll());
        QVERIFY(son);
        QCOMPARE(son->format.sampleFormat(), QAudioFormat::Int16);
        QVERIFY(son->format.sampleRate() > 0);
        // A cue is short: it blocks the interface while it plays.
        QVERIFY(son->dureeMs() > 50 && son->dureeMs() < 2000);
    }

    void formatsLus_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::addColumn<int>("canaux");
        QTest::addColumn<int>("frequence");
        QTest::addColumn<int>("trames");
        QTest::newRow("8 bits stéréo") << wavDemiEchelle(1, 2, 11025, 8, 50) << 2 << 11025 << 50;
        QTest::newRow("16 bits mono") << wavDemiEchelle(1, 1, 8000, 16, 800) << 1 << 8000 << 800;
        QTest::newRow("24 bits") << wavDemiEchelle(1, 1, 22050, 24, 30) << 1 << 22050 << 30;
        QTest::newRow("32 bits") << wavDemiEchelle(1, 2, 44100, 32, 20) << 2 << 44100 << 20;
        QTest::newRow("flottant") << wavDemiEchelle(3, 1, 48000, 32, 10) << 1 << 48000 << 10;
        const QByteArray guidPcm = le16(1) + QByteArray::fromHex("000000001000800000aa00389b71");
        const QByteArray extensible = fmt(0xFFFE, 2, 44100, 16) + le16(22) + le16(16) + le32(3) + guidPcm;
        QTest::newRow("extensible") << riff(morceau("fmt ", extensible) + morceau("data", demiEchelle(1, 16, 4))) << 2
                                    << 44100 << 2;
        // A chunk of odd size is padded; the reader must step over the pad byte.
        QTest::newRow("morceau impair avant data") << riff(morceau("fmt ", fmt(1, 1, 8000, 16)) + morceau("LIST", "abc")
                                                           + morceau("data", demiEchelle(1, 16, 2)))
                                                   << 1 << 8000 << 2;
        // Claims more than is there, and ends mid-sample: whole frames of what exists.
        QTest::newRow("data tronqué") << riff(morceau("fmt ", fmt(1, 2, 8000, 16))
                                              + morceau("data", demiEchelle(1, 16, 5), 1000))
                                      << 2 << 8000 << 2;
    }
    void formatsLus()
    {
        QFETCH(QByteArray, fichier);
        QFETCH(int, canaux);
        QFETCH(int, frequence);
        QFETCH(int, trames);
        const auto son = lireWav(fichier);
        QVERIFY(son);
        QCOMPARE(son->format.sampleFormat(), QAudioFormat::Int16);
        QCOMPARE(son->format.channelCount(), canaux);
        QCOMPARE(son->format.sampleRate(), frequence);
        QCOMPARE(son->echantillons.size(), trames * canaux * 2);
        // Every width plays as loud as it was written.
        const auto* echantillons = reinterpret_cast<const qint16*>(son->echantillons.constData());
        for (int i = 0; i < trames * canaux; ++i)
            QCOMPARE(echantillons[i], qint16(0x4000));
    }

    void duree()
    {
        // 16000 bytes of 16-bit mono at 8000 Hz: one second.
        QCOMPARE(lireWav(pcm16Mono(16000))->dureeMs(), 1000);
    }

    void fichiersRefuses_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::newRow("vide") << QByteArray();
        QTest::newRow("pas RIFF") << QByteArray("RIFX") + pcm16Mono(8).mid(4);
        QTest::newRow("pas WAVE") << QByteArray(pcm16Mono(8)).replace("WAVE", "AVI ");
        QTest::newRow("sans fmt") << riff(morceau("data", "abcd"));
        QTest::newRow("data avant fmt") << riff(morceau("data", "abcd") + morceau("fmt ", fmt(1, 1, 8000, 16)));
        QTest::newRow("sans data") << riff(morceau("fmt ", fmt(1, 1, 8000, 16)));
        QTest::newRow("fmt trop court") << riff(morceau("fmt ", "abcdefgh") + morceau("data", "abcd"));
        QTest::newRow("ADPCM incomplet") << riff(morceau("fmt ", fmt(2, 1, 8000, 4)) + morceau("data", "abcd"));
        QTest::newRow("zéro canal") << riff(morceau("fmt ", fmt(1, 0, 8000, 16)) + morceau("data", "abcd"));
        QTest::newRow("fréquence nulle") << riff(morceau("fmt ", fmt(1, 1, 0, 16)) + morceau("data", "abcd"));
        QTest::newRow("morceau géant") << riff(morceau("fmt ", fmt(1, 1, 8000, 16)) + morceau("LIST", "ab", 0xFFFFFFF0)
                                               + morceau("data", "ab"));
        QTest::newRow("coupé dans l'en-tête") << pcm16Mono(8).left(30);
    }
    void fichiersRefuses()
    {
        QFETCH(QByteArray, fichier);
        QVERIFY(!lireWav(fichier));
    }

    void sansSortieRetourImmediat()
    {
        const auto son = lireWav(pcm16Mono(16000 * 60)); // a minute
        QVERIFY(son);
        QVERIFY(!jouerWav(*son, QAudioDevice()));
    }

    void cueSansPeripherique()
    {
        if (!QMediaDevices::audioOutputs().isEmpty())
            QSKIP("this machine has an audio output; the no-device path is not reachable here");
        QVERIFY(!jouerCue(21));
    }
};

QTEST_MAIN(TestSons)
#include "tst_sons.moc"
