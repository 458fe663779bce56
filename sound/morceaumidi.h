#pragma once
// A MIDI song as the player keeps it: its events packed in play order, and the scheduling
// that hands them to a renderer frame by frame. QtCore only.
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

// The longest sound the player counts: any longer length (a tempo map summing to
// centuries, a header declaring billions of frames) is held to it, so that a length is
// always a positive number of milliseconds the player's timers and the duration text take.
constexpr qint64 DureeSonMaxUs = 24LL * 3600 * 1'000'000;

// `trames` frames at `frequence` frames a second, in µs, held to DureeSonMaxUs.
qint64 dureeUsDe(qint64 trames, int frequence);

struct EvenementMidi {
    qint64 tempsUs = 0; // from the start of the song
    quint8 statut = 0;  // channel message status, or 0xF0 for a system exclusive message
    quint8 donnee1 = 0;
    quint8 donnee2 = 0;
    const char* sysex = nullptr; // into the song's store, without the F0 and the final F7
    quint32 sysexLongueur = 0;
};

// The events of a song in play order, packed a few bytes each (the time since the one
// before as a variable-length number of µs, the status and its data bytes) in blocks
// that are filled and never moved: a store grows without copies.
class MorceauMidi {
public:
    // What the events of one song may take; a file that needs more is refused.
    static constexpr qint64 OctetsMax = 96LL * 1024 * 1024;

    qint64 dureeUs = 0; // time of the last event of any kind (End of Track included)
    qint64 dureeMs() const { return dureeUs / 1000; }
    qint64 nombre() const { return nombre_; }
    qint64 octets() const { return octets_; }

    // False when the store would grow past OctetsMax.
    bool ajouter(const EvenementMidi& e);
    // Every event, unpacked: for tests and small songs only.
    std::vector<EvenementMidi> evenements() const;

private:
    friend class CurseurMidi;
    struct Bloc {
        std::unique_ptr<char[]> octets;
        size_t taille = 0;
        size_t capacite = 0;
    };
    std::vector<Bloc> blocs_;
    qint64 nombre_ = 0;
    qint64 octets_ = 0;
    qint64 dernierUs_ = 0;
};

// Reads a store in order; courant() is null past the last event.
class CurseurMidi {
public:
    explicit CurseurMidi(const MorceauMidi& morceau);
    const EvenementMidi* courant() const { return fini_ ? nullptr : &courant_; }
    void avancer();

private:
    const MorceauMidi& morceau_;
    size_t bloc_ = 0;
    size_t pos_ = 0;
    bool fini_ = false;
    EvenementMidi courant_;
};

// Hands a song's events to a renderer at their frames. One call sends at most LotMax
// events, the rest waiting for the next calls: a song of millions of notes at one instant
// delays itself, never the thread that renders it (and whoever waits on that thread).
class OrdonnanceurMidi {
public:
    static constexpr int LotMax = 2048;
    using Envoi = std::function<void(const EvenementMidi&)>;
    using Rendu = std::function<void(qint64 debut, int trames)>;

    OrdonnanceurMidi(std::shared_ptr<const MorceauMidi> morceau, int frequence);
    qint64 trames() const { return total_; }
    void rembobiner();
    // Up to `n` frames from the current position: each event due goes to `envoyer`
    // before the frames from its time go to `rendre` (offset in the n frames, count).
    // Fewer than n only at the end.
    qint64 avancer(qint64 n, const Envoi& envoyer, const Rendu& rendre);

private:
    qint64 trameDe(qint64 us) const { return qint64((__int128(us) * frequence_ + 500'000) / 1'000'000); }

    std::shared_ptr<const MorceauMidi> morceau_;
    int frequence_;
    qint64 total_;
    qint64 position_ = 0;
    std::unique_ptr<CurseurMidi> curseur_;
};
