#include "core/tablereglages.h"

#include "core/reglages.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
constexpr const char* Couleurs = "Couleurs de l'interface";
constexpr const char* Pause = "Durée de la pause entre l'affichage des images (en secondes, de 1 à 60)";
constexpr const char* Transition = "Effet de transition entre les images";
constexpr const char* Commentaire = "Commentaire";

// One row per setting, in the order of Reglage. Keys with a marker are read with the
// marker as default, and a marker read back stands for the value beside it.
constexpr DefinitionReglage Table[NbReglages] = {
    {Reglage::DebutDegrade, Couleurs, "Début du dégradé", Forme::Couleur, "&H808000", nullptr},
    {Reglage::FinDegrade, Couleurs, "Fin du dégradé", Forme::Couleur, "&HE0E0E0", nullptr},
    {Reglage::TexteBoutons, Couleurs, "Texte des boutons", Forme::Couleur, "&H808000", nullptr},
    {Reglage::Lumiere, Couleurs, "'Lumière' des boutons", Forme::Couleur, "&HDEFF6C", nullptr},
    {Reglage::AutresTextes, Couleurs, "Autres textes", Forme::Couleur, "&HFFFFFF", nullptr},
    {Reglage::FondFenetres, Couleurs, "Fond des fenêtres", Forme::Couleur, "&H808000", nullptr},
    {Reglage::Visualisation, Couleurs, "Visualisation, dossiers, etc.", Forme::Couleur, "&HD2D200", nullptr},
    {Reglage::Avertissement, "Avertissement", "Affichage", Forme::OuiNon, "Oui", nullptr},
    {Reglage::InfoBulles, "Affichage des info-bulles", "Valeur", Forme::OuiNon, "Oui", nullptr},
    {Reglage::ConseilDemarrage, "Conseils du jour", "Conseil au démarrage", Forme::OuiNon, "Oui", nullptr},
    // The marker's folder depends on the machine: lireDossierDepart resolves it.
    {Reglage::NomDossier, "Dossier ouvert au démarrage", "Nom du dossier", Forme::Dossier, "1", nullptr},
    {Reglage::DureePause, Pause, "DuréePause", Forme::EntierBorne, "1", nullptr, 1, 60},
    {Reglage::EffetTransition, Transition, "EffetTransition", Forme::OuiNon, "1", nullptr},
    {Reglage::DureeTransition, Transition, "DuréeTransition", Forme::EntierBorne, "1", nullptr, 1, 100},
    {Reglage::CouleurTransition, Transition, "CouleurTransition", Forme::NombreCouleur, "1", nullptr},
    {Reglage::AdapterImage, "Adapter l'image à la taille de l'écran", "AdapterImage", Forme::Entier, "1", nullptr},
    {Reglage::AffichageAleatoire, "Ordre d'affichage aléatoire des images", "AffichageAléatoire", Forme::OuiNon, "1",
     nullptr},
    {Reglage::PoliceNom, Commentaire, "PoliceNom", Forme::Texte, "1", "Comic Sans MS"},
    {Reglage::CouleurPrincipale, Commentaire, "CouleurPrincipale", Forme::Couleur, "2", "&H0FFFF"},
    {Reglage::PoliceTaille, Commentaire, "PoliceTaille", Forme::Texte, "3", "18"},
    {Reglage::PoliceGras, Commentaire, "PoliceGras", Forme::VraiFaux, "4", "True"},
    {Reglage::PoliceItalic, Commentaire, "PoliceItalic", Forme::VraiFaux, "5", "False"},
    {Reglage::PoliceBarree, Commentaire, "PoliceBarree", Forme::VraiFaux, "6", "False"},
    {Reglage::PoliceSoulignee, Commentaire, "PoliceSoulignee", Forme::VraiFaux, "7", "False"},
};

constexpr bool tableDansLOrdre()
{
    for (int i = 0; i < NbReglages; ++i)
        if (static_cast<int>(Table[i].reglage) != i)
            return false;
    return true;
}
static_assert(tableDansLOrdre(), "each row sits at the index of its Reglage");

QString texteLu(const Reglages& store, Reglage r)
{
    const DefinitionReglage& d = definition(r);
    return store.lire(sectionDe(r), cleDe(r)).value_or(QString::fromUtf8(d.defaut));
}
} // namespace

const DefinitionReglage& definition(Reglage r)
{
    return Table[static_cast<int>(r)];
}

QString sectionDe(Reglage r)
{
    return QString::fromUtf8(definition(r).section);
}

QString cleDe(Reglage r)
{
    return QString::fromUtf8(definition(r).cle);
}

QString texteParDefaut(Reglage r)
{
    const DefinitionReglage& d = definition(r);
    return QString::fromUtf8(d.valeurMarque ? d.valeurMarque : d.defaut);
}

QString texteOuiNon(bool oui)
{
    return oui ? QStringLiteral("Oui") : QStringLiteral("Non");
}

bool estOui(const QString& texte)
{
    return texte == QLatin1String("Oui");
}

int lireEntierBorne(const QString& texte, int bas, int haut)
{
    const QString t = texte.trimmed();
    int i = 0;
    bool negatif = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
        negatif = t.at(i++) == QLatin1Char('-');
    if (i == t.size())
        return bas;
    // Accumulated with saturation: twenty digits are far above any bound, not "no number".
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return bas;
        if (v < (qint64(1) << 40))
            v = v * 10 + (c.unicode() - '0');
    }
    if (negatif)
        v = -v;
    if (v < bas)
        return bas;
    return v > haut ? haut : int(v);
}

QString lireTexte(const Reglages& store, Reglage r)
{
    const DefinitionReglage& d = definition(r);
    const QString texte = texteLu(store, r);
    if (d.valeurMarque && texte == QLatin1String(d.defaut))
        return QString::fromUtf8(d.valeurMarque);
    return texte;
}

bool lireOui(const Reglages& store, Reglage r)
{
    Q_ASSERT(definition(r).forme == Forme::OuiNon);
    return estOui(texteLu(store, r));
}

int lireEntier(const Reglages& store, Reglage r)
{
    const DefinitionReglage& d = definition(r);
    Q_ASSERT(d.forme == Forme::EntierBorne);
    return lireEntierBorne(texteLu(store, r), d.bas, d.haut);
}

QString lireDossierDepart(const Reglages& store)
{
    const QString texte = texteLu(store, Reglage::NomDossier);
    if (texte != QLatin1String(definition(Reglage::NomDossier).defaut) && texte != QLatin1String("C:\\"))
        return texte;
    const QString images = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!images.isEmpty() && QFileInfo(images).isDir())
        return images;
    return QDir::homePath();
}

void ecrireTexte(Reglages& store, Reglage r, const QString& valeur)
{
    store.SaveSetting(cles::Application, sectionDe(r), cleDe(r), valeur);
}

void ecrireOui(Reglages& store, Reglage r, bool oui)
{
    Q_ASSERT(definition(r).forme == Forme::OuiNon);
    ecrireTexte(store, r, texteOuiNon(oui));
}

void ecrireEntier(Reglages& store, Reglage r, int valeur)
{
    ecrireTexte(store, r, QString::number(valeur));
}
