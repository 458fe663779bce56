#include "sound/lecteurson.h"

#include "sound/moteurson.h"
#include "sound/synthemidi.h"

#include <QMediaDevices>
#include <QThread>

namespace {
const QString ModeFerme = QLatin1String(modeson::Ferme);
const QString ModeArrete = QLatin1String(modeson::Arrete);
const QString ModeLecture = QLatin1String(modeson::Lecture);
} // namespace

LecteurSon::LecteurSon(const QString& nom, RappelsLecteur rappels) : rappels_(std::move(rappels)), mode_(ModeFerme)
{
    setObjectName(nom);
}

LecteurSon::~LecteurSon()
{
    // An opening under way posts its result to this object: it must end first.
    abandonnerOuverture();
    ouvertures_.waitForDone();
    if (fil_) {
        fil_->quit();
        fil_->wait();
    }
}

MoteurSon* LecteurSon::moteur()
{
    // The thread starts with the first file opened: a player never used costs nothing.
    if (!moteur_) {
        fil_ = new QThread(this);
        fil_->setObjectName(QStringLiteral("Son %1").arg(objectName()));
        moteur_ = new MoteurSon;
        moteur_->moveToThread(fil_);
        connect(fil_, &QThread::finished, moteur_, &QObject::deleteLater);
        connect(moteur_, &MoteurSon::fini, this, &LecteurSon::fin);
        connect(moteur_, &MoteurSon::pret, this, [this] { synthePret_ = true; });
        connect(moteur_, &MoteurSon::premierTampon, this, [this](int generation, qint64 us) {
            if (generation == generation_ && rappels_.premierTampon)
                rappels_.premierTampon(us);
        });
        fil_->start();
    }
    return moteur_;
}

void LecteurSon::fermer()
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

void LecteurSon::arreter()
{
    abandonnerOuverture();
    // A closed device takes the command and does nothing, as the control did.
    if (!son_ || mode_ != ModeLecture)
        return;
    ++generation_;
    QMetaObject::invokeMethod(moteur(), &MoteurSon::arreter, Qt::QueuedConnection);
    changerMode(ModeArrete);
}

void LecteurSon::jouerDepuisDebut()
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

bool LecteurSon::setFileName(const QString& chemin)
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

void LecteurSon::ouvrir(const QString& chemin)
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
                    if (rappels_.ouvert)
                        rappels_.ouvert(false);
                    return;
                }
                adopter(chemin, r.son);
                if (rappels_.ouvert)
                    rappels_.ouvert(true);
            },
            Qt::QueuedConnection);
    });
}

void LecteurSon::abandonnerOuverture()
{
    if (enCours_)
        enCours_->store(true);
    enCours_.reset();
}

void LecteurSon::adopter(const QString& chemin, std::shared_ptr<const SonOuvert> son)
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

void LecteurSon::preparer()
{
    const QString soundFont = trouverSoundFont();
    if (soundFont.isEmpty())
        return;
    MoteurSon* m = moteur();
    QMetaObject::invokeMethod(
        m, [m, soundFont] { m->preparer(soundFont); }, Qt::QueuedConnection);
}

qint64 LecteurSon::Length() const
{
    return son_ ? son_->dureeMs : 0;
}

void LecteurSon::changerMode(const QString& mode)
{
    if (mode_ == mode)
        return;
    mode_ = mode;
    // Posted: a notification is an event of its own and never runs inside a command.
    QMetaObject::invokeMethod(
        this,
        [this, mode] {
            if (rappels_.mode)
                rappels_.mode(mode);
        },
        Qt::QueuedConnection);
}

void LecteurSon::fin(int generation)
{
    if (generation != generation_ || mode_ != ModeLecture)
        return;
    mode_ = ModeArrete;
    if (rappels_.mode)
        rappels_.mode(mode_);
}
