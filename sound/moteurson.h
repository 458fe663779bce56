#pragma once
// The player's worker, living on the player's own thread: it keeps the MIDI synthesiser,
// decodes or renders the sound and pushes it to a QAudioSink a little ahead of time, and
// tells the player when the sound has come to its end. Without a device (or when the
// output fails) the same end comes at the same time, in silence.
#include "sound/sonouvert.h"

#include <QAudioDevice>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <vector>

class QAudioFormat;
class QAudioSink;
class QIODevice;
class SourceSon;
class SyntheMidi;

class MoteurSon : public QObject {
    Q_OBJECT
public:
    using Horloge = std::chrono::steady_clock;

    MoteurSon();
    ~MoteurSon() override;

    // Loads the SoundFont ahead of the first play (a no-op when it is loaded already).
    void preparer(const QString& soundFont);
    // Plays `son` from its start; `commande` is when the play was asked for. A null
    // device walks through it in silence.
    void jouer(std::shared_ptr<const SonOuvert> son, int generation, const QAudioDevice& sortie,
               Horloge::time_point commande);
    void arreter();

signals:
    void fini(int generation);
    // The synthesiser is loaded with the SoundFont preparer() was given.
    void pret();
    void premierTampon(int generation, qint64 us);

private:
    bool preparerSource(const std::shared_ptr<const SonOuvert>& son);
    bool demarrerSortie(const QAudioDevice& sortie);
    QAudioSink* sortiePour(const QAudioDevice& peripherique, const QAudioFormat& format);
    void alimenter();
    void planifierFin(Horloge::time_point debut, qint64 dureeUs);
    void arreterSortie();

    std::unique_ptr<SyntheMidi> synthe_;
    std::shared_ptr<const SonOuvert> son_;
    std::unique_ptr<SourceSon> source_;
    struct Sortie {
        QByteArray peripherique;
        QAudioSink* sink;
    };
    std::vector<Sortie> sorties_;
    QAudioSink* sink_ = nullptr; // the one playing, among sorties_
    QIODevice* flux_ = nullptr;
    bool entier16_ = false;
    QTimer alimentation_;
    QTimer fin_;
    std::vector<float> tampon_;
    std::vector<qint16> tampon16_;
    int generation_ = 0;
    bool finSource_ = false;
    bool premier_ = false;
    Horloge::time_point commande_;
};
