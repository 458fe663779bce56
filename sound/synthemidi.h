#pragma once
// MIDI through FluidSynth: finding the General MIDI SoundFont, one synthesiser with it
// loaded, and a SourceSon that plays a MorceauMidi on it, each event at its exact frame.
// QtCore only.
#include "sound/fichiermidi.h"
#include "sound/sourceson.h"

#include <QString>
#include <memory>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

// The SoundFont the MIDI files are played with: $ORMELLE_SOUNDFONT when set (and then
// that file only), otherwise the Debian name "sounds/sf2/default-GM.sf2" (a link to the
// installed General MIDI bank, timgm6mb-soundfont among others), "soundfonts/default.sf2"
// as other distributions name it, then the first *.sf2 of those folders, in the data
// folders of the desktop (XDG). Empty when none is installed.
QString trouverSoundFont();

// The message shown when a MIDI file is loaded and no SoundFont is installed.
QString messageSansSoundFont();

class SyntheMidi {
public:
    static constexpr int FrequenceDefaut = 44100;

    // Null with `erreur` set when the SoundFont cannot be loaded.
    static std::unique_ptr<SyntheMidi> creer(const QString& soundFont, int frequence = FrequenceDefaut,
                                             QString* erreur = nullptr);
    ~SyntheMidi();
    SyntheMidi(const SyntheMidi&) = delete;
    SyntheMidi& operator=(const SyntheMidi&) = delete;

    QString soundFont() const { return soundFont_; }
    int frequence() const { return frequence_; }
    _fluid_synth_t* synth() const { return synth_; }

private:
    SyntheMidi() = default;
    QString soundFont_;
    int frequence_ = FrequenceDefaut;
    _fluid_hashtable_t* reglages_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
};

// Plays `morceau` on `synthe` (stereo), which must outlive it. Only one source may use
// a synthesiser at a time: rewinding resets it. A burst of more events than one batch
// (OrdonnanceurMidi::LotMax) at one instant spills over into the next buffers.
std::unique_ptr<SourceSon> creerSourceMidi(std::shared_ptr<const MorceauMidi> morceau, SyntheMidi& synthe);
