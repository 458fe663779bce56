// Decoding the cue files, and the promise that a machine without sound never waits.
#include "sound/sonscourts.h"

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
} // namespace

class TestSons : public QObject {
    Q_OBJECT
private slots:
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
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("canaux");
        QTest::addColumn<int>("frequence");
        QTest::addColumn<int>("octets");
        QTest::newRow("16 bits mono") << pcm16Mono(16000) << int(QAudioFormat::Int16) << 1 << 8000 << 16000;
        QTest::newRow("8 bits stéréo") << riff(morceau("fmt ", fmt(1, 2, 11025, 8))
                                               + morceau("data", QByteArray(100, 'a')))
                                       << int(QAudioFormat::UInt8) << 2 << 11025 << 100;
        QTest::newRow("flottant") << riff(morceau("fmt ", fmt(3, 1, 48000, 32)) + morceau("data", QByteArray(40, 'a')))
                                  << int(QAudioFormat::Float) << 1 << 48000 << 40;
        QByteArray extensible =
            fmt(0xFFFE, 2, 44100, 16) + le16(22) + le16(16) + le32(3) + le16(1) + QByteArray(14, '\x10');
        QTest::newRow("extensible") << riff(morceau("fmt ", extensible) + morceau("data", QByteArray(8, 'a')))
                                    << int(QAudioFormat::Int16) << 2 << 44100 << 8;
        // A chunk of odd size is padded; the reader must step over the pad byte.
        QTest::newRow("morceau impair avant data")
            << riff(morceau("fmt ", fmt(1, 1, 8000, 16)) + morceau("LIST", "abc") + morceau("data", "wxyz"))
            << int(QAudioFormat::Int16) << 1 << 8000 << 4;
        // Claims more than is there, and ends mid-sample: whole frames of what exists.
        QTest::newRow("data tronqué") << riff(morceau("fmt ", fmt(1, 2, 8000, 16))
                                              + morceau("data", QByteArray(10, 'a'), 1000))
                                      << int(QAudioFormat::Int16) << 2 << 8000 << 8;
    }
    void formatsLus()
    {
        QFETCH(QByteArray, fichier);
        QFETCH(int, format);
        QFETCH(int, canaux);
        QFETCH(int, frequence);
        QFETCH(int, octets);
        const auto son = lireWav(fichier);
        QVERIFY(son);
        QCOMPARE(int(son->format.sampleFormat()), format);
        QCOMPARE(son->format.channelCount(), canaux);
        QCOMPARE(son->format.sampleRate(), frequence);
        QCOMPARE(son->echantillons.size(), octets);
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
        QTest::newRow("ADPCM") << riff(morceau("fmt ", fmt(2, 1, 8000, 4)) + morceau("data", "abcd"));
        QTest::newRow("24 bits") << riff(morceau("fmt ", fmt(1, 1, 8000, 24)) + morceau("data", "abcdef"));
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
