#include "sound/sonscourts.h"
#include "sound/sourceson.h"

#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>
#include <vector>

namespace {
constexpr qint64 LatenceMs = 60;
constexpr qint64 TramesParLecture = 4096;
} // namespace

qint64 SonWav::dureeMs() const
{
    const qint64 parSeconde = format.bytesForDuration(1000000);
    return parSeconde > 0 ? echantillons.size() * 1000 / parSeconde : 0;
}

std::optional<SonWav> lireWav(const QByteArray& fichier)
{
    const std::unique_ptr<SourceSon> source = ouvrirSourceEchantillons(fichier);
    if (!source)
        return std::nullopt;
    SonWav son;
    son.format.setSampleFormat(QAudioFormat::Int16);
    son.format.setChannelCount(source->canaux());
    son.format.setSampleRate(source->frequence());
    std::vector<float> tampon(size_t(TramesParLecture * source->canaux()));
    for (qint64 lu; (lu = source->lire(tampon.data(), TramesParLecture)) > 0;) {
        const qsizetype debut = son.echantillons.size();
        son.echantillons.resize(debut + qsizetype(lu * source->canaux()) * qsizetype(sizeof(qint16)));
        auto* sortie = reinterpret_cast<qint16*>(son.echantillons.data() + debut);
        for (qint64 i = 0; i < lu * source->canaux(); ++i)
            sortie[i] = qint16(qBound(-32768.0f, tampon[size_t(i)] * 32768.0f, 32767.0f));
    }
    if (son.echantillons.isEmpty())
        return std::nullopt;
    return son;
}

namespace {
// The cue being heard: its sink and the bytes it reads, alive until the sound has ended.
// Everything happens on the interface thread's own loop: nothing waits for the sound.
class CueEnCours : public QObject {
public:
    CueEnCours(const SonWav& son, const QAudioDevice& sortie)
        : QObject(QCoreApplication::instance()),
          donnees_(son.echantillons),
          sink_(sortie, son.format),
          duree_(son.dureeMs())
    {
        tampon_.setBuffer(&donnees_);
        tampon_.open(QIODevice::ReadOnly);
        connect(&sink_, &QAudioSink::stateChanged, this, [this](QAudio::State etat) {
            if (etat == QAudio::StoppedState) {
                deleteLater();
            } else if (etat == QAudio::IdleState) {
                // Idle means the sink has taken the last bytes, not that they have been heard:
                // let the tail play out before stopping it.
                const qint64 reste = duree_ - horloge_.elapsed() + LatenceMs;
                QTimer::singleShot(int(qBound<qint64>(0, reste, duree_)), this, &QObject::deleteLater);
            }
        });
        // A sink that never reports its end (a stalled server) must not live on.
        QTimer::singleShot(duree_ + 1000, this, &QObject::deleteLater);
    }
    ~CueEnCours() override { sink_.stop(); }

    bool demarrer()
    {
        horloge_.start();
        sink_.start(&tampon_);
        return sink_.error() == QAudio::NoError && sink_.state() != QAudio::StoppedState;
    }

private:
    QByteArray donnees_;
    QBuffer tampon_;
    QAudioSink sink_;
    qint64 duree_;
    QElapsedTimer horloge_;
};

QPointer<CueEnCours> cueEnCours_;
} // namespace

bool jouerWav(const SonWav& son, const QAudioDevice& sortie)
{
    if (sortie.isNull() || son.echantillons.isEmpty() || !QCoreApplication::instance())
        return false;
    // One cue at a time: a new one cuts the one still heard.
    delete cueEnCours_.data();
    auto* cue = new CueEnCours(son, sortie);
    if (!cue->demarrer()) {
        delete cue;
        return false;
    }
    cueEnCours_ = cue;
    return true;
}

bool cueEnCours()
{
    return !cueEnCours_.isNull();
}

bool jouerCue(int numero)
{
    // Checked first: without a device there is nothing to decode for.
    if (QMediaDevices::audioOutputs().isEmpty())
        return false;
    QFile ressource(QStringLiteral(":/sons/%1.wav").arg(numero));
    if (!ressource.open(QIODevice::ReadOnly))
        return false;
    const auto son = lireWav(ressource.readAll());
    return son && jouerWav(*son, QMediaDevices::defaultAudioOutput());
}
