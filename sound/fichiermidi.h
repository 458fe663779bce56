#pragma once
// Standard MIDI files (formats 0, 1 and 2) and their RIFF "RMID" wrapper, read into one
// time-ordered store of the events a synthesiser needs, each at its exact time from the
// tempo map. QtCore only: this is the decoding side of the media player.
#include "sound/morceaumidi.h"

#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <optional>

struct ResultatMidi {
    std::optional<MorceauMidi> morceau;
    QString erreur; // set when morceau is empty
};

// Reads a standard MIDI file held in memory. A chunk or an event cut short, a header that
// is no MIDI header, or a status byte that cannot start an event makes the whole file
// unreadable; a track that ends without its End of Track event is accepted. `annule`,
// when given, is polled: once set the reading stops with an error.
ResultatMidi lireMidi(QByteArrayView fichier, const std::atomic_bool* annule = nullptr);

// The standard MIDI file inside a RIFF "RMID" file (its "data" chunk), as a view into
// `fichier`; nullopt when the file is no RMID file or holds no data chunk.
std::optional<QByteArrayView> deballerRmi(QByteArrayView fichier);
