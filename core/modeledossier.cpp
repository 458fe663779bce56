#include "core/modeledossier.h"

#include "platform/formatimage.h"

ModeleDossier::ModeleDossier(QObject* parent) : QObject(parent), lister_(&lireDossier)
{
    // One listing at a time is enough: a newer one makes the older stale anyway.
    pool_.setMaxThreadCount(1);
}

ModeleDossier::~ModeleDossier()
{
    // No worker may post to this object once it is gone.
    pool_.waitForDone();
}

void ModeleDossier::setLister(Lister lister)
{
    lister_ = std::move(lister);
}

QString ModeleDossier::chemin(const QString& nom) const
{
    return joindreChemin(dossier_, nom);
}

void ModeleDossier::ouvrir(const QString& dossier, const QString& nomAttendu)
{
    dossier_ = dossier;
    erreur_.clear();
    sousDossiers_.clear();
    tous_.clear();
    fichiers_.clear();
    images_.clear();
    poserCourant(QString(), false);
    emit dossierChange();
    lister(nomAttendu, false);
}

void ModeleDossier::relire()
{
    lister(QString(), true);
}

void ModeleDossier::lister(const QString& nomAttendu, bool garderCourant)
{
    const quint64 generation = ++generation_;
    ++enCours_;
    const QString dossier = dossier_;
    const Lister lister = lister_;
    pool_.start([this, generation, dossier, lister, nomAttendu, garderCourant] {
        const ContenuDossier contenu = lister(dossier);
        QMetaObject::invokeMethod(
            this, [=] { recevoir(generation, contenu, nomAttendu, garderCourant); }, Qt::QueuedConnection);
    });
}

void ModeleDossier::recevoir(quint64 generation, const ContenuDossier& contenu, const QString& nomAttendu,
                             bool garderCourant)
{
    --enCours_;
    if (generation != generation_)
        return;
    erreur_ = contenu.erreur;
    sousDossiers_ = contenu.sousDossiers;
    tous_ = contenu.fichiers;
    images_ = filtrerNoms(tous_, motifImagesLisibles());
    filtrer();
    if (!nomAttendu.isEmpty())
        poserCourant(chemin(nomAttendu), true);
    else if (garderCourant)
        poserCourant(courant_, false);
    emit listeChangee();
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
    if (change)
        emit courantChange();
}

QString ModeleDossier::NomFichierCourant() const
{
    return courant_.mid(courant_.lastIndexOf(QLatin1Char('/')) + 1);
}
