#include "sound/moteurson.h"

#include "sound/sourceson.h"
#include "sound/synthemidi.h"

#include <QAudioSink>
#include <QCoreApplication>
#include <QtDebug>
#include <limits>
#include <utility>

namespace {
// How far ahead of what is heard the output is kept filled, and how often it is topped
// up: enough to ride over a busy machine, short enough that "stop" is heard at once.
constexpr qint64 AvanceUs = 250'000;
constexpr int PeriodeMs = 50;
constexpr qint64 TramesParLecture = 4096;

qint64 usDepuis(MoteurSon::Horloge::time_point t)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(MoteurSon::Horloge::now() - t).count();
}
} // namespace

// The timers are children, so that they move to the player's thread with the worker.
MoteurSon::MoteurSon() : alimentation_(this), fin_(this)
{
    alimentation_.setTimerType(Qt::PreciseTimer);
    alimentation_.setInterval(PeriodeMs);
    connect(&alimentation_, &QTimer::timeout, this, &MoteurSon::alimenter);
    fin_.setTimerType(Qt::PreciseTimer);
    fin_.setSingleShot(true);
    connect(&fin_, &QTimer::timeout, this, [this] {
        arreterSortie();
        emit fini(generation_);
    });
}

MoteurSon::~MoteurSon()
{
    // Qt's PulseAudio sink runs the event loop in its destructor: nothing of this worker
    // may be left to run then, neither a queued command nor a timer.
    arreter();
    QCoreApplication::removePostedEvents(this);
    for (const Sortie& s : sorties_) {
        s.sink->disconnect(this);
        QCoreApplication::removePostedEvents(s.sink);
    }
    for (const Sortie& s : sorties_)
        delete s.sink;
    source_.reset();
}

void MoteurSon::preparer(const QString& soundFont)
{
    if (synthe_ && synthe_->soundFont() == soundFont) {
        emit pret();
        return;
    }
    const bool midiEnCours = son_ && son_->estMidi();
    // A MIDI file playing keeps its synthesiser; the next preparation replaces it.
    if (synthe_ && midiEnCours && fin_.isActive())
        return;
    if (midiEnCours) {
        source_.reset();
        son_.reset();
    }
    QString erreur;
    synthe_ = SyntheMidi::creer(soundFont, SyntheMidi::FrequenceDefaut, &erreur);
    if (!synthe_)
        qWarning("%s", qPrintable(erreur));
    else
        emit pret();
}

void MoteurSon::jouer(std::shared_ptr<const SonOuvert> son, int generation, const QAudioDevice& sortie,
                      Horloge::time_point commande)
{
    arreter();
    generation_ = generation;
    commande_ = commande;
    const bool audible = !sortie.isNull() && preparerSource(son) && demarrerSortie(sortie);
    if (!audible) {
        // The silent walk: the end comes when it would have been heard.
        planifierFin(commande, son->dureeMs * 1000);
        return;
    }
    alimenter();
    alimentation_.start();
}

void MoteurSon::arreter()
{
    fin_.stop();
    arreterSortie();
}

bool MoteurSon::preparerSource(const std::shared_ptr<const SonOuvert>& son)
{
    if (son == son_ && source_) {
        source_->rembobiner();
        return true;
    }
    source_.reset();
    son_ = son;
    if (son->estMidi()) {
        if (synthe_)
            source_ = creerSourceMidi(son->midi, *synthe_);
    } else {
        source_ = ouvrirSourceEchantillons(son->chemin);
    }
    return source_ != nullptr;
}

bool MoteurSon::demarrerSortie(const QAudioDevice& sortie)
{
    QAudioFormat format;
    format.setSampleRate(source_->frequence());
    format.setChannelCount(source_->canaux());
    format.setSampleFormat(QAudioFormat::Float);
    entier16_ = !sortie.isFormatSupported(format);
    if (entier16_) {
        format.setSampleFormat(QAudioFormat::Int16);
        if (!sortie.isFormatSupported(format))
            return false;
    }
    sink_ = sortiePour(sortie, format);
    flux_ = sink_->start();
    if (!flux_ || sink_->error() != QAudio::NoError) {
        arreterSortie();
        return false;
    }
    tampon_.resize(size_t(TramesParLecture * source_->canaux()));
    finSource_ = false;
    premier_ = true;
    return true;
}

QAudioSink* MoteurSon::sortiePour(const QAudioDevice& peripherique, const QAudioFormat& format)
{
    // One sink a device and format, kept for the worker's life and started again for
    // each play: a sink is never destroyed while sounds come and go.
    for (const Sortie& s : sorties_)
        if (s.peripherique == peripherique.id() && s.sink->format() == format)
            return s.sink;
    auto* sink = new QAudioSink(peripherique, format, this);
    sink->setBufferSize(format.bytesForDuration(AvanceUs));
    // A failing output (the sound server gone) leaves the rest of the walk silent.
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State etat) {
        if (sink == sink_ && etat == QAudio::StoppedState && sink->error() != QAudio::NoError)
            alimentation_.stop();
    });
    sorties_.push_back({peripherique.id(), sink});
    return sink;
}

void MoteurSon::alimenter()
{
    if (!sink_ || !flux_)
        return;
    const int canaux = source_->canaux();
    const qint64 octetsTrame = sink_->format().bytesPerFrame();
    qint64 libres = sink_->bytesFree() / octetsTrame;
    const bool dejaFini = finSource_;
    while (libres > 0 && !dejaFini) {
        const qint64 n = qMin(libres, TramesParLecture);
        const qint64 k = finSource_ ? 0 : source_->lire(tampon_.data(), n);
        if (k < n) {
            // Silence after the end, as much as the output takes, so that a sound shorter
            // than the output's start threshold still starts; the output is stopped once
            // the sound has been heard.
            finSource_ = true;
            std::fill(tampon_.begin() + k * canaux, tampon_.begin() + n * canaux, 0.0f);
        }
        const char* donnees = reinterpret_cast<const char*>(tampon_.data());
        if (entier16_) {
            tampon16_.resize(size_t(n * canaux));
            for (size_t i = 0; i < tampon16_.size(); ++i)
                tampon16_[i] = qint16(qBound(-32768.0f, tampon_[i] * 32768.0f, 32767.0f));
            donnees = reinterpret_cast<const char*>(tampon16_.data());
        }
        flux_->write(donnees, n * octetsTrame);
        libres -= n;
        if (premier_) {
            premier_ = false;
            emit premierTampon(generation_, usDepuis(commande_));
            planifierFin(Horloge::now(), dureeUsDe(source_->trames(), source_->frequence()));
        }
    }
    if (finSource_)
        alimentation_.stop();
}

void MoteurSon::planifierFin(Horloge::time_point debut, qint64 dureeUs)
{
    const qint64 resteUs = dureeUs - usDepuis(debut);
    fin_.start(int(qBound<qint64>(0LL, (resteUs + 999) / 1000, qint64(std::numeric_limits<int>::max()))));
}

void MoteurSon::arreterSortie()
{
    alimentation_.stop();
    flux_ = nullptr;
    if (QAudioSink* sink = std::exchange(sink_, nullptr))
        sink->stop();
}
