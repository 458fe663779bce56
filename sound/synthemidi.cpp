#include "sound/synthemidi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>
#include <algorithm>
#include <mutex>

#include <fluidsynth.h>

namespace {
void journalFluid(int niveau, const char* message, void*)
{
    if (niveau <= FLUID_ERR)
        qWarning("FluidSynth : %s", message);
}

// FluidSynth prints to stderr by default; only its errors are worth a line here.
void reglerJournal()
{
    static std::once_flag fait;
    std::call_once(fait, [] {
        for (int niveau : {FLUID_PANIC, FLUID_ERR})
            fluid_set_log_function(niveau, journalFluid, nullptr);
        for (int niveau : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(niveau, nullptr, nullptr);
    });
}

class SourceMidi : public SourceSon {
public:
    SourceMidi(std::shared_ptr<const MorceauMidi> morceau, SyntheMidi& synthe)
        : synthe_(synthe), ordonnanceur_(std::move(morceau), synthe.frequence())
    {
        rembobiner();
    }

    int frequence() const override { return synthe_.frequence(); }
    int canaux() const override { return 2; }
    qint64 trames() const override { return ordonnanceur_.trames(); }
    qint64 lire(float* sortie, qint64 n) override;
    void rembobiner() override
    {
        fluid_synth_system_reset(synthe_.synth());
        ordonnanceur_.rembobiner();
    }

private:
    void envoyer(const EvenementMidi& e);

    SyntheMidi& synthe_;
    OrdonnanceurMidi ordonnanceur_;
};

qint64 SourceMidi::lire(float* sortie, qint64 n)
{
    fluid_synth_t* synth = synthe_.synth();
    return ordonnanceur_.avancer(
        n, [this](const EvenementMidi& e) { envoyer(e); },
        [synth, sortie](qint64 debut, int k) {
            float* p = sortie + 2 * debut;
            fluid_synth_write_float(synth, k, p, 0, 2, p, 1, 2);
        });
}

void SourceMidi::envoyer(const EvenementMidi& e)
{
    fluid_synth_t* s = synthe_.synth();
    const int canal = e.statut & 0x0F;
    switch (e.statut & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(s, canal, e.donnee1);
        break;
    case 0x90:
        fluid_synth_noteon(s, canal, e.donnee1, e.donnee2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(s, canal, e.donnee1, e.donnee2);
        break;
    case 0xB0:
        fluid_synth_cc(s, canal, e.donnee1, e.donnee2);
        break;
    case 0xC0:
        fluid_synth_program_change(s, canal, e.donnee1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(s, canal, e.donnee1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(s, canal, e.donnee1 | (e.donnee2 << 7));
        break;
    case 0xF0:
        fluid_synth_sysex(s, e.sysex, int(e.sysexLongueur), nullptr, nullptr, nullptr, 0);
        break;
    default:
        break;
    }
}
} // namespace

QString trouverSoundFont()
{
    if (qEnvironmentVariableIsSet("ORMELLE_SOUNDFONT")) {
        const QString impose = qEnvironmentVariable("ORMELLE_SOUNDFONT");
        return QFileInfo(impose).isFile() ? impose : QString();
    }
    const QStringList dossiers = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& d : dossiers)
        for (const char* nom : {"sounds/sf2/default-GM.sf2", "soundfonts/default.sf2"})
            if (QFileInfo(d + QLatin1Char('/') + QLatin1String(nom)).isFile())
                return d + QLatin1Char('/') + QLatin1String(nom);
    for (const QString& d : dossiers)
        for (const char* sous : {"sounds/sf2", "soundfonts"}) {
            const QDir dossier(d + QLatin1Char('/') + QLatin1String(sous));
            const QStringList sf2 = dossier.entryList({QStringLiteral("*.sf2")}, QDir::Files, QDir::Name);
            if (!sf2.isEmpty())
                return dossier.filePath(sf2.first());
        }
    return QString();
}

QString messageSansSoundFont()
{
    return QStringLiteral("Aucune banque de sons General MIDI (SoundFont) n'est installée : les fichiers MIDI "
                          "et RMI restent muets. Installez le paquet « timgm6mb-soundfont ».");
}

std::unique_ptr<SyntheMidi> SyntheMidi::creer(const QString& soundFont, int frequence, QString* erreur)
{
    reglerJournal();
    std::unique_ptr<SyntheMidi> s(new SyntheMidi);
    s->soundFont_ = soundFont;
    s->frequence_ = frequence;
    s->reglages_ = new_fluid_settings();
    if (s->reglages_) {
        fluid_settings_setnum(s->reglages_, "synth.sample-rate", frequence);
        // One thread renders and sends the events: no locking needed.
        fluid_settings_setint(s->reglages_, "synth.threadsafe-api", 0);
        s->synth_ = new_fluid_synth(s->reglages_);
    }
    const QByteArray chemin = QFile::encodeName(soundFont);
    // Checked first: FluidSynth would otherwise try the file as every bank format it knows.
    if (!s->synth_ || !fluid_is_soundfont(chemin.constData())
        || fluid_synth_sfload(s->synth_, chemin.constData(), 1) == FLUID_FAILED) {
        if (erreur)
            *erreur = QStringLiteral("banque de sons illisible : %1").arg(soundFont);
        return nullptr;
    }
    return s;
}

SyntheMidi::~SyntheMidi()
{
    if (synth_)
        delete_fluid_synth(synth_);
    if (reglages_)
        delete_fluid_settings(reglages_);
}

std::unique_ptr<SourceSon> creerSourceMidi(std::shared_ptr<const MorceauMidi> morceau, SyntheMidi& synthe)
{
    return std::make_unique<SourceMidi>(std::move(morceau), synthe);
}
