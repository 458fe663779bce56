// libFuzzer entry point over opening a song: its kind from its content, MIDI and RMI read
// into their store, sampled sounds probed by libsndfile, then the first buffers: MIDI
// events scheduled as the synthesiser would get them (the synthesiser itself left out: its
// cost per event is its own, not the file's), samples decoded from the file and from the
// same bytes in memory, as the cues are.
#include "sound/sonouvert.h"
#include "sound/sourceson.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <vector>

#include <unistd.h>

namespace {
constexpr int Trames = 4096;
constexpr int Tampons = 4;
QString fichier;

void premiersTamponsMidi(const std::shared_ptr<const MorceauMidi>& morceau)
{
    OrdonnanceurMidi ordonnanceur(morceau, 44100);
    qint64 precedent = 0;
    quint32 somme = 0;
    for (int t = 0; t < Tampons; ++t) {
        int envois = 0;
        const qint64 rendues = ordonnanceur.avancer(
            Trames,
            [&](const EvenementMidi& e) {
                ++envois;
                if (e.tempsUs < precedent || e.tempsUs > DureeSonMaxUs)
                    abort();
                precedent = e.tempsUs;
                for (quint32 i = 0; i < e.sysexLongueur; ++i)
                    somme += quint8(e.sysex[i]); // every byte handed on must be readable
            },
            [](qint64 debut, int k) {
                if (debut < 0 || k < 0 || debut + k > Trames)
                    abort();
            });
        if (envois > OrdonnanceurMidi::LotMax || rendues < 0 || rendues > Trames)
            abort();
    }
    (void)somme;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    fichier = QDir::temp().filePath(QStringLiteral("fuzz_son_%1").arg(getpid()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QFile f(fichier);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    f.close();
    const ResultatOuverture r = ouvrirSon(fichier);
    if (!r.son) {
        if (r.erreur.isEmpty())
            abort(); // a refusal always says why
        return 0;
    }
    if (r.son->dureeMs < 0 || r.son->dureeMs > DureeSonMaxUs / 1000)
        abort();
    if (r.son->estMidi()) {
        if (r.son->midi->octets() > MorceauMidi::OctetsMax)
            abort();
        premiersTamponsMidi(r.son->midi);
        return 0;
    }
    const std::unique_ptr<SourceSon> source = ouvrirSourceEchantillons(fichier);
    // The same bytes from memory, as the program's cues are read: the same sound.
    const std::unique_ptr<SourceSon> memoire =
        ouvrirSourceEchantillons(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!source != !memoire)
        abort();
    if (!source)
        return 0;
    if (memoire->trames() != source->trames() || memoire->canaux() != source->canaux())
        abort();
    std::vector<float> tampon(size_t(Trames * source->canaux()));
    for (int t = 0; t < Tampons; ++t) {
        const qint64 lu = source->lire(tampon.data(), Trames);
        if (lu > Trames || memoire->lire(tampon.data(), Trames) != lu)
            abort();
    }
    return 0;
}
