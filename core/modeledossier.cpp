#include "core/modeledossier.h"

#include "platform/formatimage.h"

#include <QMutex>
#include <thread>
#include <utility>

// The model and the listings running for it meet here: a listing posts its
// result only while the model lives, and runs only while its folder is wanted.
struct ModeleDossier::Lien {
    QMutex verrou;
    ModeleDossier* modele = nullptr;
    QString voulu; // the folder shown
};

namespace {
// Changes by other programs come in bursts (a copy of many files, a save that
// writes then renames): one listing follows the burst.
constexpr int DelaiLotMs = 150;
} // namespace

ModeleDossier::ModeleDossier(QObject* parent) : QObject(parent), lister_(&lireDossier), lien_(std::make_shared<Lien>())
{
    lien_->modele = this;
    lot_.setSingleShot(true);
    lot_.setInterval(DelaiLotMs);
    connect(&lot_, &QTimer::timeout, this, [this] { lister(QString(), Suite::Suivre); });
    connect(&veille_, &VeilleDossier::change, this, [this] {
        if (veille_.dossier() == dossier_)
            lot_.start();
    });
}

ModeleDossier::~ModeleDossier()
{
    // Listings still running (a hung mount) are left to end on their own; from
    // now on they have nobody to post to.
    QMutexLocker verrou(&lien_->verrou);
    lien_->modele = nullptr;
}

void ModeleDossier::setLister(Lister lister)
{
    lister_ = std::move(lister);
}

QString ModeleDossier::chemin(const QString& nom) const
{
    return joindreChemin(dossier_, nom);
}

IdentiteFichier ModeleDossier::identite(const QString& cheminFichier) const
{
    const qsizetype barre = cheminFichier.lastIndexOf(QLatin1Char('/'));
    const QString nom = cheminFichier.mid(barre + 1);
    if (!repondu_ || barre < 0 || nom.isEmpty() || nom.startsWith(u'.') || chemin(nom) != cheminFichier)
        return {};
    const auto connue = identites_.constFind(nom);
    if (connue != identites_.cend())
        return *connue;
    // One stat, on this thread: the folder answered its listing a moment ago.
    const IdentiteFichier mesuree = identiteFichier(cheminFichier);
    if (mesuree.connue())
        identites_.insert(nom, mesuree);
    return mesuree;
}

void ModeleDossier::ouvrir(const QString& dossier, const QString& nomAttendu)
{
    dossier_ = dossier;
    {
        QMutexLocker verrou(&lien_->verrou);
        lien_->voulu = dossier;
    }
    lot_.stop();
    erreur_.clear();
    sousDossiers_.clear();
    tous_.clear();
    repondu_ = false;
    identites_.clear();
    fichiers_.clear();
    images_.clear();
    poserCourant(QString(), false);
    emit dossierChange();
    lister(nomAttendu, Suite::Oublier);
}

void ModeleDossier::relire()
{
    lister(QString(), Suite::Garder);
}

void ModeleDossier::lister(const QString& nomAttendu, Suite suite)
{
    // A name an open still waits for is given up only by another open.
    if (nomAttendu_.isEmpty() || !nomAttendu.isEmpty() || suite == Suite::Oublier) {
        nomAttendu_ = nomAttendu;
        suite_ = suite;
    }
    // A request made while the folder's listing runs takes its result and one more
    // listing after it: never two at once for one folder.
    if (enVol_.contains(dossier_)) {
        aRelire_.insert(dossier_);
        return;
    }
    lancer(dossier_);
}

void ModeleDossier::lancer(const QString& dossier)
{
    enVol_.insert(dossier);
    std::thread([lien = lien_, lister = lister_, dossier] {
        bool voulu;
        {
            QMutexLocker verrou(&lien->verrou);
            voulu = lien->voulu == dossier;
        }
        const ContenuDossier contenu = voulu ? lister(dossier) : ContenuDossier{};
        QMutexLocker verrou(&lien->verrou);
        if (ModeleDossier* m = lien->modele)
            QMetaObject::invokeMethod(
                m, [m, dossier, contenu, voulu] { m->recevoir(dossier, contenu, !voulu); }, Qt::QueuedConnection);
    }).detach();
}

void ModeleDossier::recevoir(const QString& dossier, const ContenuDossier& contenu, bool sautee)
{
    enVol_.remove(dossier);
    const bool encore = aRelire_.remove(dossier);
    if (dossier != dossier_)
        return;
    if (encore)
        lancer(dossier);
    if (!sautee)
        appliquer(contenu);
}

void ModeleDossier::appliquer(const ContenuDossier& contenu)
{
    const QStringList avant = fichiers_;
    const IdentiteFichier identiteAvant = identites_.value(NomFichierCourant());
    erreur_ = contenu.erreur;
    repondu_ = erreur_.isEmpty();
    sousDossiers_ = contenu.sousDossiers;
    tous_ = contenu.fichiers;
    // What was measured before this listing may have changed since.
    identites_.clear();
    images_ = filtrerNoms(tous_, motifImagesLisibles());
    filtrer();
    const QString nomAttendu = std::exchange(nomAttendu_, QString());
    const Suite suite = std::exchange(suite_, Suite::Garder);
    if (!nomAttendu.isEmpty())
        poserCourant(chemin(nomAttendu), true);
    else if (suite == Suite::Suivre)
        suivreCourant(avant, identiteAvant);
    else if (suite == Suite::Garder)
        poserCourant(courant_, false);
    surveiller();
    emit listeChangee();
}

// After a change made by another program: the current picture stays current; when
// it is gone, the entry before it is, as after a delete; rewritten, it is shown again.
void ModeleDossier::suivreCourant(const QStringList& avant, const IdentiteFichier& identiteAvant)
{
    const QString nom = NomFichierCourant();
    if (courant_.isEmpty() || chemin(nom) != courant_) {
        poserCourant(courant_, false);
        return;
    }
    if (!tous_.contains(nom) && avant.contains(nom)) {
        if (fichiers_.isEmpty())
            poserCourant(QString(), true);
        else
            selectionner(qBound<qint64>(0, avant.indexOf(nom) - 1, fichiers_.size() - 1));
        return;
    }
    poserCourant(courant_, identiteAvant != identite(courant_));
}

// Watched once the folder has answered a listing: adding the watch touches the
// disk, which a folder on a hung mount would not answer.
void ModeleDossier::surveiller()
{
    if (erreur_.isEmpty())
        veille_.surveiller(dossier_);
}

void ModeleDossier::setMotif(const QString& motif)
{
    if (motif == motif_)
        return;
    motif_ = motif;
    filtrer();
    poserCourant(courant_, false);
    emit listeChangee();
}

void ModeleDossier::filtrer()
{
    fichiers_ = filtrerNoms(tous_, motif_);
}

void ModeleDossier::selectionner(qint64 index)
{
    if (index < 0 || index >= fichiers_.size())
        return;
    poserCourant(chemin(fichiers_.at(index)), true);
}

void ModeleDossier::setFichierCourant(const QString& chemin)
{
    poserCourant(chemin, true);
}

void ModeleDossier::effacerCourant()
{
    poserCourant(QString(), false);
}

// The index is always derived from the path, so the two never name different
// files. A user's choice is announced even when it names the same picture
// again (it is shown again); a new listing only when something moved.
void ModeleDossier::poserCourant(const QString& cheminCourant, bool annoncer)
{
    qint64 index = -1;
    const qsizetype barre = cheminCourant.lastIndexOf(QLatin1Char('/'));
    if (barre >= 0 && chemin(cheminCourant.mid(barre + 1)) == cheminCourant)
        index = fichiers_.indexOf(cheminCourant.mid(barre + 1));
    const bool change = annoncer || cheminCourant != courant_ || index != index_;
    courant_ = cheminCourant;
    index_ = index;
    // The current picture's identity is kept from the moment it is current, so that
    // a listing after another program rewrote it can tell.
    identite(courant_);
    if (change)
        emit courantChange();
}

QString ModeleDossier::NomFichierCourant() const
{
    return courant_.mid(courant_.lastIndexOf(QLatin1Char('/')) + 1);
}
