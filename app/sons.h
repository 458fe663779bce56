#pragma once
// The program's sound cues: short RIFF/WAVE files compiled in as :/sons/19.wav … 23.wav,
// played synchronously like the cues of the original, and never hanging a machine
// that has no sound card (the call then returns at once).
#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <optional>

// PCM samples ready for an audio sink.
struct SonWav {
    QAudioFormat format;
    QByteArray echantillons;

    qint64 dureeMs() const;
};

// Decodes a RIFF/WAVE file held in memory: PCM 8, 16 or 32-bit, or 32-bit float, any
// rate and channel count, including the "extensible" header. nullopt for anything else
// or for a file that is cut short or malformed; a data chunk that claims more than the
// file holds is clipped to what is there.
std::optional<SonWav> lireWav(const QByteArray& fichier);

// Plays the sound on `sortie` and returns when it has ended, or after its length plus a
// second at most. Returns false at once, without playing, when `sortie` is null (no audio
// device) or the sound is empty. User input waits until the cue has ended.
bool jouerWav(const SonWav& son, const QAudioDevice& sortie);

// Cue number 19 to 23 on the default output; false when nothing was played.
bool jouerCue(int numero);
