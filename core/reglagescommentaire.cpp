#include "core/reglagescommentaire.h"

#include "core/reglages.h"
#include "core/schema.h"

namespace {
constexpr Reglage Cles[7] = {Reglage::PoliceNom,      Reglage::CouleurPrincipale, Reglage::PoliceTaille,
                             Reglage::PoliceGras,     Reglage::PoliceItalic,      Reglage::PoliceBarree,
                             Reglage::PoliceSoulignee};
enum Index { Nom, Couleur, Taille, Gras, Italique, Barree, Soulignee };

bool vrai(const QString& t)
{
    return t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

QString texteVraiFaux(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}
} // namespace

PoliceCommentaire::PoliceCommentaire()
{
    for (int i = 0; i < 7; ++i)
        textes_[i] = texteParDefaut(Cles[i]);
    depuisTextes();
}

void PoliceCommentaire::lire(const Reglages& store)
{
    for (int i = 0; i < 7; ++i)
        textes_[i] = lireTexte(store, Cles[i]);
    depuisTextes();
}

void PoliceCommentaire::depuisTextes()
{
    nom_ = textes_[Nom];
    bool ok = false;
    const double taille = textes_[Taille].toDouble(&ok);
    taille_ = ok && taille > 0 && taille < 1000 ? taille : 18;
    gras_ = vrai(textes_[Gras]);
    italique_ = vrai(textes_[Italique]);
    barree_ = vrai(textes_[Barree]);
    soulignee_ = vrai(textes_[Soulignee]);
    couleur_ = versQColor(lireNombreCouleur(textes_[Couleur]).value_or(0xFFFF));
}

void PoliceCommentaire::ecrire(Reglages& store) const
{
    LotReglages lot(store);
    for (int i = 0; i < 7; ++i)
        ecrireTexte(store, Cles[i], textes_[i]);
}

QFont PoliceCommentaire::police() const
{
    QFont police(nom_);
    police.setPointSizeF(taille_);
    police.setBold(gras_);
    police.setItalic(italique_);
    police.setStrikeOut(barree_);
    police.setUnderline(soulignee_);
    return police;
}

void PoliceCommentaire::setPolice(const QFont& police)
{
    // Through the texts, so that a size the store could not give back (none, or
    // out of range) is used as the one it will read next time.
    textes_[Nom] = police.family();
    textes_[Taille] = QString::number(qRound(police.pointSizeF()));
    textes_[Gras] = texteVraiFaux(police.bold());
    textes_[Italique] = texteVraiFaux(police.italic());
    textes_[Barree] = texteVraiFaux(police.strikeOut());
    textes_[Soulignee] = texteVraiFaux(police.underline());
    depuisTextes();
}

void PoliceCommentaire::setCouleur(const QColor& couleur)
{
    textes_[Couleur] = QString::number(depuisQColor(couleur));
    depuisTextes(); // the colour as stored: no alpha
}
