#include "core/animation.h"

#include "core/serviceimages.h"
#include "platform/lecteuranimation.h"

#include <QPointer>
#include <array>

// What the reading job works on. Only one job at a time touches it, and the view's
// thread reads its result only once that job has reported back.
struct Animation::Lecture {
    QString chemin;
    QSize taille;
    qreal ratio = 1;
    QColor fond;
    std::unique_ptr<LecteurAnimation> lecteur;
    int delaiPremiere = 0;
    int tour = 1;
    // The job's result.
    bool ok = false;
    Trame trame;
    // Frames are read into these, each again once nobody holds it: the frames
    // waiting, the one on screen, the one being read, and one spare for a frame
    // handed out and not let go of yet.
    std::array<QImage, Avance + 2> tampons;
    QImage horsTampons;

    QImage* tamponLibre()
    {
        for (QImage& t : tampons)
            if (t.isNull() || t.isDetached())
                return &t;
        // Someone keeps frames: this one goes to a buffer of its own.
        horsTampons = QImage();
        return &horsTampons;
    }

    // Reads the frame after the last one read, going round again when the loop count allows.
    void suivante()
    {
        ok = false;
        if (!lecteur) {
            lecteur = std::make_unique<LecteurAnimation>(chemin, taille, fond);
            if (lecteur->nombreImages() == 1)
                return; // a still GIF: nothing decoded twice
            // The first frame is on screen already; only its delay is wanted, and its
            // pixels under the frames composited on it.
            if (!lecteur->lire(tamponLibre(), &delaiPremiere))
                return;
        }
        QImage* image = tamponLibre();
        int delai = 0;
        int numero = lecteur->lues();
        bool lu = lecteur->lire(image, &delai);
        if (!lu) {
            // Past the last frame, or stopped short at a damaged one: only the first
            // starts another play. A single frame never plays again.
            const int declarees = lecteur->nombreImages();
            const bool auBout = numero > 1 && (declarees == 0 || numero >= declarees);
            const int boucles = lecteur->boucles();
            if (auBout && (boucles < 0 || tour <= boucles) && lecteur->rembobiner()) {
                ++tour;
                numero = 0;
                lu = lecteur->lire(image, &delai);
            }
        }
        if (!lu)
            return;
        if (image->size() != taille)
            *image = image->scaled(taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
        // Set while the buffer is this job's alone: shared, it would be copied.
        image->setDevicePixelRatio(ratio);
        trame.image = *image;
        trame.delai = delai;
        trame.numero = numero;
        trame.tour = tour;
        ok = true;
    }
};

Animation::Animation(ServiceImages& service, Horloge& horloge, const DemandeImage& demande, const ImagePrete& premiere,
                     QObject* parent)
    : QObject(parent), service_(service), horloge_(horloge), lecture_(std::make_shared<Lecture>())
{
    minuterie_.setSingleShot(true);
    minuterie_.setTimerType(Qt::PreciseTimer);
    connect(&minuterie_, &QTimer::timeout, this, &Animation::verifier);
    lecture_->chemin = premiere.chemin.isEmpty() ? demande.chemin : premiere.chemin;
    lecture_->taille = premiere.image.size();
    lecture_->ratio = premiere.image.devicePixelRatio();
    lecture_->fond = demande.fond;
    debut_ = horloge_.maintenant();
    echeanceAffichee_ = debut_;
    if (premiere.image.isNull()) {
        enCours_ = false;
        lecture_.reset();
        return;
    }
    demanderSuivante();
}

Animation::~Animation()
{
    // A job under way finishes on its worker and frees what it read with.
    if (ticket_)
        service_.annuler(ticket_);
}

int Animation::dureeAffichage(int delaiFichier)
{
    return delaiFichier <= 10 ? 100 : delaiFichier;
}

void Animation::demanderSuivante()
{
    if (ticket_ || finLue_ || !lecture_ || int(file_.size()) >= Avance)
        return;
    std::shared_ptr<Lecture> lecture = lecture_;
    ticket_ = service_.executer(
        ServiceImages::Affichage, [lecture] { lecture->suivante(); }, [this] { recue(); });
}

void Animation::recue()
{
    ticket_ = 0;
    if (!lecture_)
        return;
    if (!lecture_->ok) {
        finLue_ = true;
        lecture_.reset(); // the reader and its file go now
    } else {
        if (echeance_ < 0) {
            dureeAffichee_ = dureeAffichage(lecture_->delaiPremiere);
            echeance_ = debut_ + dureeAffichee_;
        }
        file_.push_back(std::move(lecture_->trame));
        lecture_->trame = Trame{};
        demanderSuivante();
    }
    verifier();
}

void Animation::verifier()
{
    const QPointer<Animation> moi(this);
    while (moi && enCours_) {
        if (file_.empty()) {
            if (finLue_)
                arreter();
            return;
        }
        const qint64 maintenant = horloge_.maintenant();
        if (echeance_ < 0)
            return;
        if (maintenant < echeance_) {
            horloge_.programmer(minuterie_, echeance_);
            return;
        }
        Trame trame = std::move(file_.front());
        file_.pop_front();
        echeanceAffichee_ = echeance_;
        tempsJoue_ += dureeAffichee_;
        dureeAffichee_ = dureeAffichage(trame.delai);
        echeance_ = (maintenant - echeance_ > RetardMax ? maintenant : echeance_) + dureeAffichee_;
        numero_ = trame.numero;
        tour_ = trame.tour;
        demanderSuivante();
        emit imageDue(trame.image);
    }
}

void Animation::arreter()
{
    enCours_ = false;
    minuterie_.stop();
    file_.clear();
    lecture_.reset();
    emit terminee();
}
