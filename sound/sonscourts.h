#pragma once
// The program's sound cues: short WAVE files compiled in as :/sons/19.wav … 23.wav.
// A cue is started and the call returns at once: no nested event loop runs timers or
// finished decodes in the middle of the caller, and a machine without a sound card
// plays nothing. Part of the sound module: the program plays a cue through
// moduleson::points()->jouerCue.
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

// Decodes a sound file held in memory, as libsndfile reads it (a WAVE of any PCM width or
// float, the "extensible" header included), to 16-bit samples at its own rate and channel
// count. nullopt for a file it cannot read or that holds no sample; a data chunk that
// claims more than the file holds is clipped to what is there.
std::optional<SonWav> lireWav(const QByteArray& fichier);

// Starts the sound on `sortie` and returns at once; the sound plays on from the event
// loop, cutting a cue still heard, and is stopped after its length plus a second at most.
// false, without playing, when `sortie` is null (no audio device), the sound is empty or
// the output refuses it.
bool jouerWav(const SonWav& son, const QAudioDevice& sortie);
// A cue is being heard.
bool cueEnCours();

// Cue number 19 to 23 on the default output; false when nothing was played.
bool jouerCue(int numero);
