#include "sound/lecteurmci.h"

#include "sound/moteurson.h"
#include "sound/synthemidi.h"

#include <QMediaDevices>
#include <QThread>

const QString LecteurMci::ModeFerme = QStringLiteral("not ready");
const QString LecteurMci::ModeArrete = QStringLiteral("stopped");
const QString LecteurMci::ModeLecture = QStringLiteral("playing");

LecteurMci::LecteurMci(QObject* parent) : QObject(parent)
{
}

LecteurMci::~LecteurMci()
{
    // An opening under way posts its result to this object: it must end first.
    abandonnerOuverture();
    ouvertures_.waitForDone();
    if (fil_) {
        fil_->quit();
        fil_->wait();
    }
}

MoteurSon* LecteurMci::moteur()
{
    // The thread starts with the first file opened: a player never used costs nothing.
    if (!moteur_) {
        fil_ = new QThread(this);
        fil_->setObjectName(QStringLiteral("Son %1").arg(objectName()));
        moteur_ = new MoteurSon;
        moteur_->moveToThread(fil_);
        connect(fil_, &QThread::finished, moteur_, &QObject::deleteLater);
        connect(moteur_, &MoteurSon::fini, this, &LecteurMci::fin);
        connect(moteur_, &MoteurSon::premierTampon, this, [this](int generation, qint64 us) {
            if (generation == generation_)
                emit premierTampon(us);
        });
        fil_->start();
    }
    return moteur_;
}

bool LecteurMci::Command(const QString& commande)
{
    const QString c = commande.simplified().toLower();
    if (c == QLatin1String("close"))
        fermer();
    else if (c == QLatin1String("stop"))
        arreter();
    else if (c == QLatin1String("play from 0") || c == QLatin1String("play"))
        jouerDepuisDebut();
    else
        return false;
    return true;
}

void LecteurMci::fermer()
{
    abandonnerOuverture();
    if (!son_)
        return;
    ++generation_;
    if (moteur_)
        QMetaObject::invokeMethod(moteur_, &MoteurSon::arreter, Qt::QueuedConnection);
    son_.reset();
    fichier_.clear();
    avertissement_.clear();
    changerMode(ModeFerme);
}

void LecteurMci::arreter()
{
    abandonnerOuverture();
    // A closed device takes the command and does nothing, as the control did.
    if (!son_ || mode_ != ModeLecture)
        return;
    ++generation_;
    QMetaObject::invokeMethod(moteur(), &MoteurSon::arreter, Qt::QueuedConnection);
    changerMode(ModeArrete);
}

void LecteurMci::jouerDepuisDebut()
{
    if (!son_)
        return;
    const auto commande = MoteurSon::Horloge::now();
    const int generation = ++generation_;
    const QAudioDevice sortie = muette_ ? QAudioDevice() : QMediaDevices::defaultAudioOutput();
    MoteurSon* m = moteur();
    QMetaObject::invokeMethod(
        m, [m, son = son_, generation, sortie, commande] { m->jouer(son, generation, sortie, commande); },
        Qt::QueuedConnection);
    changerMode(ModeLecture);
}

bool LecteurMci::setFileName(const QString& chemin)
{
    fermer();
    erreur_.clear();
    const ResultatOuverture r = ouvrirSon(chemin);
    if (!r.son) {
        erreur_ = r.erreur;
        return false;
    }
    adopter(chemin, r.son);
    return true;
}

void LecteurMci::ouvrir(const QString& chemin)
{
    fermer();
    erreur_.clear();
    auto annule = std::make_shared<std::atomic_bool>(false);
    enCours_ = annule;
    ouvertures_.start([this, chemin, annule] {
        // Dropped while it waited for a thread: not even read.
        if (annule->load())
            return;
        const ResultatOuverture r = ouvrirSon(chemin, annule.get());
        QMetaObject::invokeMethod(
            this,
            [this, chemin, r, annule] {
                if (annule != enCours_)
                    return;
                enCours_.reset();
                if (!r.son) {
                    erreur_ = r.erreur;
                    emit ouvert(false);
                    return;
                }
                adopter(chemin, r.son);
                emit ouvert(true);
            },
            Qt::QueuedConnection);
    });
}

void LecteurMci::abandonnerOuverture()
{
    if (enCours_)
        enCours_->store(true);
    enCours_.reset();
}

void LecteurMci::adopter(const QString& chemin, std::shared_ptr<const SonOuvert> son)
{
    son_ = std::move(son);
    fichier_ = chemin;
    mode_ = ModeArrete;
    if (son_->estMidi()) {
        if (trouverSoundFont().isEmpty())
            avertissement_ = messageSansSoundFont();
        else
            preparer();
    }
}

void LecteurMci::preparer()
{
    const QString soundFont = trouverSoundFont();
    if (soundFont.isEmpty())
        return;
    MoteurSon* m = moteur();
    QMetaObject::invokeMethod(
        m, [m, soundFont] { m->preparer(soundFont); }, Qt::QueuedConnection);
}

bool LecteurMci::setTimeFormat(const QString& format)
{
    const QString f = format.simplified().toLower();
    if (f != QLatin1String("ms") && f != QLatin1String("milliseconds"))
        return false;
    formatTemps_ = QStringLiteral("ms");
    return true;
}

qint64 LecteurMci::Length() const
{
    return son_ ? son_->dureeMs : 0;
}

void LecteurMci::changerMode(const QString& mode)
{
    if (mode_ == mode)
        return;
    mode_ = mode;
    // Posted: a notification is an event of its own and never runs inside a command.
    QMetaObject::invokeMethod(
        this, [this, mode] { emit NotifyMode(mode); }, Qt::QueuedConnection);
}

void LecteurMci::fin(int generation)
{
    if (generation != generation_ || mode_ != ModeLecture)
        return;
    mode_ = ModeArrete;
    emit NotifyMode(mode_);
}
