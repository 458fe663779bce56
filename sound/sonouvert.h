#pragma once
// Opening a sound file for the media player: its kind found from its content (never from
// its extension), its length, and for MIDI its events. QtCore only. MIDI files are read
// whole here, under the song's memory budget; sampled sounds are only probed here and
// decoded while they play, off the interface thread.
#include "sound/fichiermidi.h"

#include <QByteArray>
#include <QString>
#include <memory>

enum class FormatSon {
    Midi,  // standard MIDI file ("MThd")
    Rmi,   // RIFF "RMID" wrapper around a standard MIDI file
    Autre, // anything else: left to libsndfile (WAVE, AIFF, FLAC, Ogg…)
};

// The format from the first bytes of a file (12 are enough).
FormatSon detecterFormatSon(const QByteArray& debut);

struct SonOuvert {
    QString chemin;
    FormatSon format = FormatSon::Autre;
    qint64 dureeMs = 0;
    // MIDI and RMI
    std::shared_ptr<const MorceauMidi> midi;
    // Sampled sounds, as libsndfile reads them
    int frequence = 0;
    int canaux = 0;
    qint64 trames = 0;

    bool estMidi() const { return midi != nullptr; }
};

struct ResultatOuverture {
    std::shared_ptr<const SonOuvert> son; // null when the file cannot be played
    QString erreur;
};

// Reads the whole song for MIDI: call it off the interface thread. `annule`, when
// given, stops a MIDI reading once set.
ResultatOuverture ouvrirSon(const QString& chemin, const std::atomic_bool* annule = nullptr);
