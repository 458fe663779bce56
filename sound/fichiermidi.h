#pragma once
// Standard MIDI files (formats 0, 1 and 2) and their RIFF "RMID" wrapper, read into one
// time-ordered list of the events a synthesiser needs, each at its exact time from the
// tempo map. QtCore only: this is the decoding side of the media player.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

struct EvenementMidi {
    qint64 tempsUs = 0; // from the start of the song
    quint8 statut = 0;  // channel message status, or 0xF0 for a system exclusive message
    quint8 donnee1 = 0;
    quint8 donnee2 = 0;
    quint32 sysexDebut = 0; // into MorceauMidi::sysex, without the F0 and the final F7
    quint32 sysexLongueur = 0;
};

struct MorceauMidi {
    std::vector<EvenementMidi> evenements; // channel and system exclusive messages, in play order
    QByteArray sysex;
    qint64 dureeUs = 0; // time of the last event of any kind (End of Track included)

    qint64 dureeMs() const { return dureeUs / 1000; }
};

struct ResultatMidi {
    std::optional<MorceauMidi> morceau;
    QString erreur; // set when morceau is empty
};

// Reads a standard MIDI file held in memory. A chunk or an event cut short, a header that
// is no MIDI header, or a status byte that cannot start an event makes the whole file
// unreadable; a track that ends without its End of Track event is accepted.
ResultatMidi lireMidi(const QByteArray& fichier);

// The standard MIDI file inside a RIFF "RMID" file (its "data" chunk); nullopt when the
// file is no RMID file or holds no data chunk.
std::optional<QByteArray> deballerRmi(const QByteArray& fichier);
