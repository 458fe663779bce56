#include "sound/sonscourts.h"

#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

namespace {
constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFlottant = 3;
constexpr quint16 FormatExtensible = 0xFFFE;
constexpr qint64 LatenceMs = 60;

quint16 lire16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 lire32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

struct EnteteFmt {
    quint16 codage = 0;
    quint16 canaux = 0;
    quint32 frequence = 0;
    quint16 bits = 0;
};

std::optional<EnteteFmt> lireFmt(const char* p, quint32 taille)
{
    if (taille < 16)
        return std::nullopt;
    EnteteFmt f;
    f.codage = lire16(p);
    f.canaux = lire16(p + 2);
    f.frequence = lire32(p + 4);
    f.bits = lire16(p + 14);
    // The extensible header carries the real coding in the first two bytes of its GUID.
    if (f.codage == FormatExtensible) {
        if (taille < 26)
            return std::nullopt;
        f.codage = lire16(p + 24);
    }
    return f;
}

std::optional<QAudioFormat::SampleFormat> formatEchantillon(const EnteteFmt& f)
{
    if (f.codage == FormatPcm) {
        switch (f.bits) {
        case 8:
            return QAudioFormat::UInt8;
        case 16:
            return QAudioFormat::Int16;
        case 32:
            return QAudioFormat::Int32;
        default:
            return std::nullopt;
        }
    }
    if (f.codage == FormatFlottant && f.bits == 32)
        return QAudioFormat::Float;
    return std::nullopt;
}
} // namespace

qint64 SonWav::dureeMs() const
{
    const qint64 parSeconde = format.bytesForDuration(1000000);
    return parSeconde > 0 ? echantillons.size() * 1000 / parSeconde : 0;
}

std::optional<SonWav> lireWav(const QByteArray& fichier)
{
    const char* base = fichier.constData();
    const qint64 taille = fichier.size();
    if (taille < 12 || !fichier.startsWith("RIFF") || fichier.mid(8, 4) != "WAVE")
        return std::nullopt;

    std::optional<EnteteFmt> fmt;
    qint64 pos = 12;
    while (pos + 8 <= taille) {
        const QByteArray id = fichier.mid(pos, 4);
        const quint32 annonce = lire32(base + pos + 4);
        const qint64 debut = pos + 8;
        const qint64 disponible = qMin<qint64>(annonce, taille - debut);
        if (id == "fmt ") {
            fmt = lireFmt(base + debut, quint32(disponible));
            if (!fmt)
                return std::nullopt;
        } else if (id == "data") {
            if (!fmt)
                return std::nullopt;
            const auto echantillon = formatEchantillon(*fmt);
            if (!echantillon || fmt->canaux == 0 || fmt->canaux > 8 || fmt->frequence < 1000 || fmt->frequence > 384000)
                return std::nullopt;
            SonWav son;
            son.format.setSampleFormat(*echantillon);
            son.format.setChannelCount(fmt->canaux);
            son.format.setSampleRate(int(fmt->frequence));
            // Whole frames only, so the sink never receives half a sample.
            const int trame = son.format.bytesPerFrame();
            son.echantillons = fichier.mid(debut, disponible - disponible % trame);
            return son;
        }
        // Chunks are padded to an even size.
        pos = debut + qint64(annonce) + (annonce & 1);
    }
    return std::nullopt;
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
