#include "core/reglagesdiaporama.h"

#include "core/reglages.h"
#include "core/schema.h"

namespace {
QColor couleurDe(const QString& texte)
{
    return versQColor(lireNombreCouleur(texte).value_or(1));
}

std::optional<ajustement::Mode> adaptationDe(const QString& texte)
{
    bool ok = false;
    const int mode = texte.trimmed().toInt(&ok);
    if (!ok || mode < ajustement::Proportions || mode > ajustement::ToutEcran)
        return std::nullopt;
    return ajustement::Mode(mode);
}
} // namespace

ReglagesDiaporama::ReglagesDiaporama()
    : couleurTransition_(couleurDe(texteParDefaut(Reglage::CouleurTransition))),
      adaptation_(adaptationDe(texteParDefaut(Reglage::AdapterImage)))
{
}

void ReglagesDiaporama::lire(const Reglages& store)
{
    dureePause = lireEntier(store, Reglage::DureePause);
    effetTransition = lireOui(store, Reglage::EffetTransition);
    dureeTransition = lireEntier(store, Reglage::DureeTransition);
    texteCouleur_ = lireTexte(store, Reglage::CouleurTransition);
    couleurTransition_ = couleurDe(*texteCouleur_);
    texteAdaptation_ = lireTexte(store, Reglage::AdapterImage);
    adaptation_ = adaptationDe(*texteAdaptation_);
    ordreAleatoire = lireOui(store, Reglage::AffichageAleatoire);
}

void ReglagesDiaporama::ecrire(Reglages& store, const QString& dossier) const
{
    LotReglages lot(store);
    ecrireTexte(store, Reglage::NomDossier, dossier);
    ecrireEntier(store, Reglage::DureePause, dureePause);
    ecrireOui(store, Reglage::EffetTransition, effetTransition);
    ecrireEntier(store, Reglage::DureeTransition, dureeTransition);
    ecrireTexte(store, Reglage::CouleurTransition,
                texteCouleur_.value_or(QString::number(depuisQColor(couleurTransition_))));
    // Only a mode read can be none, and it keeps its text.
    ecrireTexte(store, Reglage::AdapterImage,
                texteAdaptation_ ? *texteAdaptation_
                                 : QString::number(int(adaptation_.value_or(ajustement::NePasAdapter))));
    ecrireOui(store, Reglage::AffichageAleatoire, ordreAleatoire);
}

void ReglagesDiaporama::setCouleurTransition(const QColor& couleur)
{
    texteCouleur_.reset();
    couleurTransition_ = versQColor(depuisQColor(couleur)); // as stored: no alpha
}

void ReglagesDiaporama::setAdaptation(ajustement::Mode mode)
{
    texteAdaptation_.reset();
    adaptation_ = mode;
}

bool ReglagesDiaporama::operator==(const ReglagesDiaporama& o) const
{
    return dureePause == o.dureePause && effetTransition == o.effetTransition && dureeTransition == o.dureeTransition
           && ordreAleatoire == o.ordreAleatoire && couleurTransition_ == o.couleurTransition_
           && adaptation_ == o.adaptation_ && texteCouleur_ == o.texteCouleur_
           && texteAdaptation_ == o.texteAdaptation_;
}
