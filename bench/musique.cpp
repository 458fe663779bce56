// ormelle-bench music FILE [--seconds N] [--runs N] [--wav OUT]
//   Figures of the media player, with the very code the program runs: the time to render
//   the whole file as fast as possible (side by side with `fluidsynth -ni -F` and the
//   same SoundFont when that command is installed), the time from "play" to the first
//   buffer handed to the audio output, and the CPU used per second of music while it plays.
// ormelle-bench music FILE --open-only
//   Only the opening as the player does it: its time, CPU, peak memory and the length shown.
// ormelle-bench make-midi OUT [--seconds S] [--seed N]
//   A General MIDI song of S seconds (180 by default) for those figures.
#include "outils.h"
#include "sound/lecteurmci.h"
#include "sound/postesons.h"
#include "sound/sonouvert.h"
#include "sound/sourceson.h"
#include "sound/synthemidi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <vector>

#include <sndfile.h>

namespace {

// CPU time (user and system, every thread) of this process or of its waited-for
// children, in seconds.
double cpu(int qui = RUSAGE_SELF)
{
    rusage u{};
    getrusage(qui, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wall and CPU time of one run, in ms; the CPU time holds on a busy machine.
struct Temps {
    double mur = -1;
    double cpu = -1;
};

void attendre(int ms)
{
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

// Renders the whole sound as the player would, as fast as possible; the SoundFont load
// and the parse are counted, as the command line tool counts them. Writes OUT if asked.
Temps rendre(const QString& fichier, const QString& soundFont, const QString& wav, qint64* trames)
{
    QElapsedTimer chrono;
    chrono.start();
    const double cpu0 = cpu();
    const ResultatOuverture ouvert = ouvrirSon(fichier);
    std::unique_ptr<SyntheMidi> synthe;
    std::unique_ptr<SourceSon> source;
    if (ouvert.son && ouvert.son->estMidi()) {
        synthe = SyntheMidi::creer(soundFont);
        if (synthe)
            source = creerSourceMidi(ouvert.son->midi, *synthe);
    } else if (ouvert.son) {
        source = ouvrirSourceEchantillons(fichier);
    }
    if (!source)
        return {};
    SNDFILE* sortie = nullptr;
    if (!wav.isEmpty()) {
        SF_INFO info{};
        info.samplerate = source->frequence();
        info.channels = source->canaux();
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        sortie = sf_open(QFile::encodeName(wav).constData(), SFM_WRITE, &info);
    }
    std::vector<float> tampon(size_t(4096 * source->canaux()));
    *trames = 0;
    for (;;) {
        const qint64 k = source->lire(tampon.data(), 4096);
        *trames += k;
        if (sortie)
            sf_writef_float(sortie, tampon.data(), k);
        if (k < 4096)
            break;
    }
    const Temps t{chrono.nsecsElapsed() / 1e6, (cpu() - cpu0) * 1000};
    if (sortie)
        sf_close(sortie);
    return t;
}

// `fluidsynth -ni -F out.wav SOUNDFONT FILE.mid`; nothing when it is not installed.
Temps rendreFluidsynth(const QString& midi, const QString& soundFont, const QString& dossier)
{
    const QString programme = QStandardPaths::findExecutable(QStringLiteral("fluidsynth"));
    if (programme.isEmpty())
        return {};
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer chrono;
    chrono.start();
    const double cpu0 = cpu(RUSAGE_CHILDREN);
    p.start(programme, {QStringLiteral("-ni"), QStringLiteral("-F"), dossier + QStringLiteral("/fluidsynth.wav"),
                        soundFont, midi});
    p.waitForFinished(-1);
    p.readAllStandardOutput();
    if (p.exitCode() != 0)
        return {};
    return {chrono.nsecsElapsed() / 1e6, (cpu(RUSAGE_CHILDREN) - cpu0) * 1000};
}

// Waits for `fini` with the event loop running, five seconds at most.
template <typename F>
void attendreQue(F fini)
{
    QElapsedTimer limite;
    limite.start();
    while (!fini() && limite.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

struct Panneau {
    double pretMs = -1;    // from the panel's opening to the synthesiser loaded
    double latenceMs = -1; // from "Jouer" to the first buffer
};

// "Jouer" on a player that has done nothing but be readied as the music panel readies it
// on opening; played as soon as its synthesiser is loaded (at once for a sampled sound).
Panneau jouerApresPanneau(const QString& fichier, bool midi)
{
    Panneau r;
    LecteurMci lecteur;
    qint64 us = -1;
    QObject::connect(&lecteur, &LecteurMci::premierTampon, [&](qint64 t) { us = t; });
    QElapsedTimer ouverture;
    ouverture.start();
    lecteur.preparer();
    if (midi && !trouverSoundFont().isEmpty())
        attendreQue([&] { return lecteur.synthePret(); });
    r.pretMs = ouverture.nsecsElapsed() / 1e6;
    if (!lecteur.setFileName(fichier))
        return r;
    lecteur.jouerDepuisDebut();
    attendreQue([&] { return us >= 0; });
    r.latenceMs = us / 1000.0;
    return r;
}

struct Lecture {
    std::vector<double> latencesMs;
    double latenceFroideMs = -1;
    double latenceApresDialogueMs = -1;
    double cpuPourcent = -1;
    double secondesEcoutees = 0;
};

// Plays with the player as the program does: "Charger et jouer", the dialog open for a
// second while the SoundFont loads; then the same from a player that never loaded
// anything (no time in a dialog); then plays of a warm player.
Lecture jouer(const QString& fichier, int secondes, int repetitions)
{
    Lecture r;
    {
        LecteurMci froid;
        qint64 us = -1;
        QObject::connect(&froid, &LecteurMci::premierTampon, [&](qint64 t) { us = t; });
        if (froid.setFileName(fichier)) {
            froid.jouerDepuisDebut();
            QElapsedTimer limite;
            limite.start();
            while (us < 0 && limite.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            r.latenceFroideMs = us / 1000.0;
        }
    }
    LecteurMci lecteur;
    qint64 derniere = -1;
    QObject::connect(&lecteur, &LecteurMci::premierTampon, [&](qint64 us) { derniere = us; });
    lecteur.preparer();
    attendre(1000);
    if (!lecteur.setFileName(fichier))
        return r;
    const auto mesurer = [&]() -> double {
        derniere = -1;
        lecteur.jouerDepuisDebut();
        QElapsedTimer limite;
        limite.start();
        while (derniere < 0 && limite.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return derniere / 1000.0;
    };
    r.latenceApresDialogueMs = mesurer();
    attendre(500);
    for (int i = 0; i < repetitions; ++i) {
        lecteur.arreter();
        attendre(100);
        r.latencesMs.push_back(mesurer());
        attendre(300);
    }
    // CPU over a stretch of steady playing, from a fresh start.
    lecteur.arreter();
    lecteur.jouerDepuisDebut();
    attendre(300);
    const double duree = std::min<double>(secondes, lecteur.Length() / 1000.0 - 0.5);
    QElapsedTimer mur;
    mur.start();
    const double cpu0 = cpu();
    attendre(int(duree * 1000));
    r.cpuPourcent = 100.0 * (cpu() - cpu0) / (mur.nsecsElapsed() / 1e9);
    r.secondesEcoutees = mur.nsecsElapsed() / 1e9;
    lecteur.arreter();
    return r;
}

} // namespace

int benchMusique(const QStringList& args)
{
    const QString fichier = args.value(0);
    const int runs = std::max(1, option(args, QStringLiteral("--runs"), QStringLiteral("3")).toInt());
    const int secondes = std::max(1, option(args, QStringLiteral("--seconds"), QStringLiteral("20")).toInt());
    QElapsedTimer ouverture;
    ouverture.start();
    const double cpuOuverture = cpu();
    const ResultatOuverture ouvert = ouvrirSon(fichier);
    if (args.contains(QStringLiteral("--open-only"))) {
        std::printf("ouverture : %.0f ms (CPU %.0f ms), mémoire max %.1f Mo ; %s\n", ouverture.nsecsElapsed() / 1e6,
                    (cpu() - cpuOuverture) * 1000, memoireMaxMo(),
                    ouvert.son ? qPrintable(texteDureeSon(ouvert.son->dureeMs)) : qPrintable(ouvert.erreur));
        return ouvert.son ? 0 : 1;
    }
    if (!ouvert.son) {
        std::printf("illisible : %s\n", qPrintable(ouvert.erreur));
        return 1;
    }
    const QString soundFont = trouverSoundFont();
    std::printf("%s : %s, %.3f s\n", qPrintable(fichier), ouvert.son->estMidi() ? "MIDI" : "échantillons",
                ouvert.son->dureeMs / 1000.0);
    if (ouvert.son->estMidi())
        std::printf("SoundFont : %s\n", soundFont.isEmpty() ? "(aucune)" : qPrintable(soundFont));

    QTemporaryDir dossier;
    // The command line tool reads standard MIDI files: an RMI file is handed over unwrapped.
    QString midiPur = fichier;
    if (ouvert.son->format == FormatSon::Rmi) {
        QFile f(fichier);
        f.open(QIODevice::ReadOnly);
        midiPur = dossier.filePath(QStringLiteral("deballe.mid"));
        QFile s(midiPur);
        s.open(QIODevice::WriteOnly);
        const QByteArray rmi = f.readAll();
        if (const auto midi = deballerRmi(rmi))
            s.write(midi->data(), midi->size());
    }
    // Turn about, so that a change in the machine's load falls on both alike.
    std::vector<double> nousMur, nousCpu, euxMur, euxCpu;
    qint64 trames = 0;
    for (int i = 0; i < runs; ++i) {
        const Temps t =
            rendre(fichier, soundFont, i == 0 ? option(args, QStringLiteral("--wav"), {}) : QString(), &trames);
        nousMur.push_back(t.mur);
        nousCpu.push_back(t.cpu);
        if (ouvert.son->estMidi()) {
            const Temps f = rendreFluidsynth(midiPur, soundFont, dossier.path());
            euxMur.push_back(f.mur);
            euxCpu.push_back(f.cpu);
        }
    }
    const double mur = mediane(nousMur), temps = mediane(nousCpu);
    std::printf("rendu complet : %.0f ms (CPU %.0f ms ; médianes de %d), %lld trames, %.0fx le temps réel\n", mur,
                temps, runs, static_cast<long long>(trames), ouvert.son->dureeMs / std::max(1.0, mur));
    if (!euxMur.empty() && mediane(euxMur) > 0)
        std::printf("fluidsynth -ni -F : %.0f ms (CPU %.0f ms)  rapport %.2fx (CPU %.2fx)\n", mediane(euxMur),
                    mediane(euxCpu), mur / mediane(euxMur), temps / mediane(euxCpu));
    else if (ouvert.son->estMidi())
        std::printf("fluidsynth : commande absente (paquet fluidsynth)\n");

    if (QMediaDevices::defaultAudioOutput().isNull()) {
        std::printf("pas de sortie audio : la lecture est la marche muette, rien à mesurer\n");
        return 0;
    }
    std::printf("sortie : %s\n", qPrintable(QMediaDevices::defaultAudioOutput().description()));
    std::vector<double> pret, panneau;
    for (int i = 0; i < runs; ++i) {
        const Panneau p = jouerApresPanneau(fichier, ouvert.son->estMidi());
        pret.push_back(p.pretMs);
        panneau.push_back(p.latenceMs);
        attendre(300);
    }
    std::printf("panneau ouvert, puis « Jouer » : premier tampon %.1f ms après « Jouer » d'un lecteur froid, "
                "synthétiseur prêt %.0f ms après l'ouverture (médianes de %d)\n",
                mediane(panneau), mediane(pret), runs);
    const Lecture l = jouer(fichier, secondes, 5);
    std::printf("« play » → premier tampon : %.1f ms après « Charger et jouer » (dialogue de 1 s), %.1f ms ensuite "
                "(médiane de %zu) ; %.1f ms d'un lecteur froid sans dialogue\n",
                l.latenceApresDialogueMs, mediane(l.latencesMs), l.latencesMs.size(), l.latenceFroideMs);
    std::printf("lecture : %.2f %% d'un cœur sur %.1f s de musique (tout le processus)\n", l.cpuPourcent,
                l.secondesEcoutees);
    return 0;
}

namespace {

class Piste {
public:
    void evenement(quint32 tick, QByteArray octets) { evenements_.push_back({tick, ordre_++, std::move(octets)}); }
    void note(quint32 tick, quint32 duree, int canal, int note, int velocite)
    {
        evenement(tick, QByteArray(1, char(0x90 | canal)) + char(note) + char(velocite));
        evenement(tick + duree, QByteArray(1, char(0x80 | canal)) + char(note) + char(0));
    }
    QByteArray morceau(quint32 fin)
    {
        std::stable_sort(evenements_.begin(), evenements_.end(),
                         [](const auto& a, const auto& b) { return a.tick < b.tick; });
        QByteArray o;
        quint32 avant = 0;
        for (const auto& e : evenements_) {
            o += vlq(e.tick - avant) + e.octets;
            avant = e.tick;
        }
        o += vlq(fin - avant) + QByteArray("\xFF\x2F\x00", 3);
        return "MTrk" + be32(quint32(o.size())) + o;
    }
    static QByteArray vlq(quint32 v)
    {
        QByteArray b(1, char(v & 0x7F));
        while (v >>= 7)
            b.prepend(char(0x80 | (v & 0x7F)));
        return b;
    }
    static QByteArray be32(quint32 v) { return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v); }

private:
    struct E {
        quint32 tick;
        int ordre;
        QByteArray octets;
    };
    std::vector<E> evenements_;
    int ordre_ = 0;
};

} // namespace

// Five parts over I–V–vi–IV in C at 120 then 132 bpm: drums, bass, piano, strings, a
// flute tune, about as busy as a pop song file.
bool fabriquerMidi(const QString& sortie, int secondes, quint32 graine)
{
    constexpr quint32 Noire = 480;
    std::mt19937 alea(graine);
    Piste tempo, batterie, basse, piano, cordes, flute;
    const auto programme = [](Piste& p, int canal, int numero) {
        p.evenement(0, QByteArray(1, char(0xC0 | canal)) + char(numero));
    };
    programme(basse, 1, 33);
    programme(piano, 0, 0);
    programme(cordes, 2, 48);
    programme(flute, 3, 73);
    const int accords[4][3] = {{60, 64, 67}, {55, 59, 62}, {57, 60, 64}, {53, 57, 60}};
    const int gamme[7] = {0, 2, 4, 5, 7, 9, 11};
    quint32 tick = 0;
    double ms = 0;
    int mesure = 0, degre = 2;
    while (ms < secondes * 1000.0 - 2000) {
        const quint32 usParNoire = mesure < 32 ? 500000 : 454545;
        if (mesure == 0 || mesure == 32)
            tempo.evenement(tick, QByteArray("\xFF\x51\x03", 3) + Piste::be32(usParNoire).mid(1));
        const auto& a = accords[mesure % 4];
        for (int t = 0; t < 8; ++t) { // eighth notes
            const quint32 c = tick + t * Noire / 2;
            batterie.note(c, 60, 9, 42, 70 + int(alea() % 20));
            if (t % 4 == 0)
                batterie.note(c, 100, 9, 36, 110);
            if (t % 4 == 2)
                batterie.note(c, 100, 9, 38, 100);
            if (t % 2 == 0)
                basse.note(c, Noire - 40, 1, a[0] - 24 + (t == 6 ? 7 : 0), 100);
            if (alea() % 3) {
                degre = std::clamp(degre + int(alea() % 5) - 2, 0, 13);
                flute.note(c, Noire / 2 - 20, 3, 72 + gamme[degre % 7] + 12 * (degre / 7) - 12, 90);
            }
        }
        for (int h = 0; h < 2; ++h)
            for (int n : a)
                piano.note(tick + h * 2 * Noire, 2 * Noire - 30, 0, n, 80);
        for (int n : a)
            cordes.note(tick, 4 * Noire - 10, 2, n - 12, 60);
        tick += 4 * Noire;
        ms += 4 * usParNoire / 1000.0;
        ++mesure;
    }
    // Two seconds of ringing at the end.
    const quint32 fin = tick + 4 * Noire;
    QByteArray f = "MThd" + Piste::be32(6) + QByteArray("\x00\x01\x00\x06", 4) + char(Noire >> 8) + char(Noire & 0xFF);
    for (Piste* p : {&tempo, &batterie, &basse, &piano, &cordes, &flute})
        f += p->morceau(fin);
    QFile fichier(sortie);
    return fichier.open(QIODevice::WriteOnly) && fichier.write(f) == f.size();
}
