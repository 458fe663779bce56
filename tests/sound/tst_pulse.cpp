// The player against a real sound server: a private PulseAudio daemon with a null sink,
// whose monitor is recorded with parec. Sound must come out while a WAVE or a MIDI file
// plays, and silence after "stop". Skipped where the daemon or parec cannot run.
#include "commun/connexionsrompues.h"
#include "commun/fixturessons.h"
#include "sound/lecteurmci.h"
#include "sound/synthemidi.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <sys/prctl.h>

using namespace fixtures;

namespace {
constexpr int Frequence = 44100;
constexpr int OctetsParTrame = 4; // s16le stereo
} // namespace

class TestPulse : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dossier_;
    QProcess demon_;
    QProcess parec_;
    QByteArray enregistre_;

    QString socket() const { return dossier_.filePath(QStringLiteral("native")); }

    // RMS of the last `ms` milliseconds recorded, in s16 units.
    double efficaceRecente(int ms)
    {
        enregistre_ += parec_.readAllStandardOutput();
        const qsizetype octets = qsizetype(ms) * Frequence / 1000 * OctetsParTrame;
        if (enregistre_.size() < octets)
            return -1;
        const auto* s = reinterpret_cast<const qint16*>(enregistre_.constData() + enregistre_.size() - octets);
        double somme = 0;
        const qsizetype n = octets / 2;
        for (qsizetype i = 0; i < n; ++i)
            somme += double(s[i]) * s[i];
        return std::sqrt(somme / double(n));
    }

    // The loudest 20 ms (RMS) recorded from byte `debut` on.
    double efficaceMaxDepuis(qsizetype debut)
    {
        enregistre_ += parec_.readAllStandardOutput();
        const qsizetype fenetre = Frequence / 50 * OctetsParTrame;
        double max = 0;
        for (qsizetype p = debut; p + fenetre <= enregistre_.size(); p += fenetre) {
            const auto* s = reinterpret_cast<const qint16*>(enregistre_.constData() + p);
            double somme = 0;
            for (qsizetype i = 0; i < fenetre / 2; ++i)
                somme += double(s[i]) * s[i];
            max = std::max(max, std::sqrt(somme / double(fenetre / 2)));
        }
        return max;
    }

    void jouerEtEcouter(const QString& chemin);

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase();
    void cleanupTestCase();
    void wave();
    void midi();
    void finEnTempsReelAvecSortie();
    void sonPlusCourtQueLeTamponEntendu();
    void commandesEnRafale();
    void lecteursDetruitsApresLecture();
};

void TestPulse::initTestCase()
{
    const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
    if (pulseaudio.isEmpty() || parec.isEmpty())
        QSKIP("pulseaudio ou parec absent (paquets pulseaudio et pulseaudio-utils)");
    QVERIFY(dossier_.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dossier_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dossier_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dossier_.path());
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dossier_.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("PULSE_STATE_PATH"), dossier_.filePath(QStringLiteral("state")));
    env.remove(QStringLiteral("PULSE_SERVER"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    // A test that crashes leaves no daemon or recorder behind.
    for (QProcess* p : {&demon_, &parec_})
        p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    demon_.setProcessEnvironment(env);
    demon_.setProcessChannelMode(QProcess::MergedChannels);
    demon_.start(pulseaudio,
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--use-pid-file=no"), QStringLiteral("--disallow-exit=yes"),
                  QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                  QStringLiteral("module-null-sink sink_name=ormelle_nul rate=%1 channels=2").arg(Frequence),
                  QStringLiteral("-L"),
                  QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket())});
    if (!demon_.waitForStarted(5000))
        QSKIP("le démon PulseAudio ne démarre pas");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket()) || demon_.state() != QProcess::Running, 10000);
    if (demon_.state() != QProcess::Running)
        QSKIP(qPrintable(QStringLiteral("le démon PulseAudio s'est arrêté : ") + demon_.readAll()));

    // Before the first use of Qt Multimedia in this process.
    qputenv("PULSE_SERVER", ("unix:" + socket()).toLocal8Bit());
    QTRY_VERIFY_WITH_TIMEOUT(!QMediaDevices::defaultAudioOutput().isNull(), 5000);

    parec_.setProcessEnvironment(env);
    parec_.start(parec, {QStringLiteral("--server=unix:") + socket(), QStringLiteral("--device=ormelle_nul.monitor"),
                         QStringLiteral("--raw"), QStringLiteral("--format=s16le"), QStringLiteral("--channels=2"),
                         QStringLiteral("--rate=%1").arg(Frequence), QStringLiteral("--latency-msec=20")});
    QVERIFY(parec_.waitForStarted(5000));
    // Silence is recorded before anything plays.
    QTRY_VERIFY_WITH_TIMEOUT(efficaceRecente(200) >= 0, 10000);
    QCOMPARE(efficaceRecente(200), 0.0);
}

void TestPulse::cleanupTestCase()
{
    for (QProcess* p : {&parec_, &demon_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000))
            p->kill();
        p->waitForFinished(5000);
    }
}

void TestPulse::jouerEtEcouter(const QString& chemin)
{
    LecteurMci l;
    QSignalSpy premier(&l, &LecteurMci::premierTampon);
    QVERIFY(l.setFileName(chemin));
    QVERIFY(l.avertissement().isEmpty());
    l.jouerDepuisDebut();
    QVERIFY(premier.wait(5000));
    QTRY_VERIFY_WITH_TIMEOUT(efficaceRecente(50) > 300, 5000);
    QCOMPARE(l.Mode(), QStringLiteral("playing"));
    l.arreter();
    // What the server still held drains within its latency, then silence.
    QTRY_VERIFY_WITH_TIMEOUT(efficaceRecente(150) == 0.0, 5000);
}

void TestPulse::wave()
{
    const QString chemin = dossier_.filePath(QStringLiteral("la.wav"));
    QVERIFY(ecrire(chemin, wav(Frequence, 2, 16, Frequence * 3, 440, 0.5)));
    jouerEtEcouter(chemin);
}

void TestPulse::midi()
{
    if (trouverSoundFont().isEmpty())
        QSKIP("aucune SoundFont General MIDI installée (timgm6mb-soundfont)");
    PisteMidi p;
    p.tempo(0, 1000000).programme(0, 0, 0);
    for (int note : {60, 64, 67})
        p.noteOn(0, 0, note, 120);
    p.noteOff(3000, 0, 60).fin();
    const QString chemin = dossier_.filePath(QStringLiteral("accord.mid"));
    QVERIFY(ecrire(chemin, smf(0, 1000, {p})));
    jouerEtEcouter(chemin);
}

void TestPulse::finEnTempsReelAvecSortie()
{
    const QString chemin = dossier_.filePath(QStringLiteral("court.wav"));
    QVERIFY(ecrire(chemin, wav(Frequence, 2, 16, Frequence * 4 / 10, 440, 0.5))); // 400 ms
    LecteurMci l;
    QSignalSpy modes(&l, &LecteurMci::NotifyMode);
    QSignalSpy premier(&l, &LecteurMci::premierTampon);
    QVERIFY(l.setFileName(chemin));
    QElapsedTimer horloge;
    horloge.start();
    l.jouerDepuisDebut();
    QTRY_COMPARE_WITH_TIMEOUT(modes.size(), 2, 5000);
    QCOMPARE(modes.at(1).at(0).toString(), QStringLiteral("stopped"));
    QVERIFY(horloge.elapsed() >= 400);
    QCOMPARE(premier.size(), 1);
    // The sound was heard, and it is over.
    QTRY_VERIFY_WITH_TIMEOUT(efficaceRecente(150) == 0.0, 5000);
}

void TestPulse::sonPlusCourtQueLeTamponEntendu()
{
    // 100 ms: less than the server waits for before it starts a stream.
    const QString chemin = dossier_.filePath(QStringLiteral("bip.wav"));
    QVERIFY(ecrire(chemin, wav(Frequence, 2, 16, Frequence / 10, 880, 0.5)));
    LecteurMci l;
    QSignalSpy modes(&l, &LecteurMci::NotifyMode);
    QVERIFY(l.setFileName(chemin));
    efficaceRecente(0);
    const qsizetype debut = enregistre_.size();
    l.jouerDepuisDebut();
    QTRY_COMPARE_WITH_TIMEOUT(modes.size(), 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(efficaceMaxDepuis(debut) > 3000, 5000);
}

void TestPulse::commandesEnRafale()
{
    // Plays and stops queued faster than the output opens and closes: each is carried out
    // in turn (the sink's own destructor runs the event loop), and the last one stands.
    const QString chemin = dossier_.filePath(QStringLiteral("rafale.wav"));
    QVERIFY(ecrire(chemin, wav(Frequence, 2, 16, Frequence / 2, 440, 0.5)));
    LecteurMci l;
    QSignalSpy premier(&l, &LecteurMci::premierTampon);
    QVERIFY(l.setFileName(chemin));
    for (int i = 0; i < 40; ++i) {
        l.jouerDepuisDebut();
        if (i % 3 == 0)
            l.arreter();
    }
    l.jouerDepuisDebut();
    QVERIFY(premier.wait(5000));
    QTRY_COMPARE_WITH_TIMEOUT(l.Mode(), QStringLiteral("stopped"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(efficaceRecente(150) == 0.0, 5000);
}

void TestPulse::lecteursDetruitsApresLecture()
{
    // A player that has opened and stopped outputs closes them all when it goes, on its
    // own thread (Qt's sink runs the event loop as it is destroyed).
    const QString chemin = dossier_.filePath(QStringLiteral("fin.wav"));
    QVERIFY(ecrire(chemin, wav(Frequence, 2, 16, Frequence, 440, 0.5)));
    const QString autre = dossier_.filePath(QStringLiteral("mono.wav"));
    QVERIFY(ecrire(autre, wav(22050, 1, 16, 22050, 440, 0.5)));
    for (int tour = 0; tour < 6; ++tour) {
        LecteurMci l;
        QSignalSpy premier(&l, &LecteurMci::premierTampon);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(l.setFileName(i % 2 ? autre : chemin));
            l.jouerDepuisDebut();
            QVERIFY(premier.wait(5000));
            l.arreter();
        }
        l.jouerDepuisDebut();
    }
    QTRY_VERIFY_WITH_TIMEOUT(efficaceRecente(150) == 0.0, 5000);
}

QTEST_GUILESS_MAIN(TestPulse)
#include "tst_pulse.moc"
