#pragma once
// Every setting Ormelle keeps, declared once: section, key, value form, default and
// the rule that turns the stored text into a value. Windows read and write through
// the typed functions below and never spell a key, a default or "Oui" themselves.
#include <QString>

class Reglages;

enum class Reglage {
    // "Couleurs de l'interface", in the order of the colour roles.
    DebutDegrade,
    FinDegrade,
    TexteBoutons,
    Lumiere,
    AutresTextes,
    FondFenetres,
    Visualisation,
    Avertissement,    // "Avertissement" / "Affichage"
    InfoBulles,       // "Affichage des info-bulles" / "Valeur"
    ConseilDemarrage, // "Conseils du jour" / "Conseil au démarrage"
    NomDossier,       // "Dossier ouvert au démarrage" / "Nom du dossier"
    DureePause,
    EffetTransition,
    DureeTransition,
    CouleurTransition,
    AdapterImage,
    AffichageAleatoire,
    // "Commentaire", in the order they are written.
    PoliceNom,
    CouleurPrincipale,
    PoliceTaille,
    PoliceGras,
    PoliceItalic,
    PoliceBarree,
    PoliceSoulignee,
};
constexpr int NbReglages = static_cast<int>(Reglage::PoliceSoulignee) + 1;

enum class Forme {
    Couleur,       // "&H808000" or decimal digits; kept as text, parsed when applied
    NombreCouleur, // decimal digits, kept as text
    OuiNon,        // on exactly when the text is "Oui"
    VraiFaux,      // "True" / "False", kept as text
    EntierBorne,   // whole number clamped to [bas, haut]; no number reads as bas
    Entier,        // whole number used as read
    Dossier,       // a folder path
    Texte,
};

struct DefinitionReglage {
    Reglage reglage;
    const char* section; // UTF-8, exactly as stored
    const char* cle;
    Forme forme;
    // What is read when the key is absent; for the keys with a marker, the marker itself.
    const char* defaut;
    // The value a stored marker stands for; nullptr when the key has no marker.
    const char* valeurMarque;
    int bas = 0;
    int haut = 0;
};

const DefinitionReglage& definition(Reglage r);
QString sectionDe(Reglage r);
QString cleDe(Reglage r);
// The value in force when nothing is stored, a marker already replaced ("Nom du dossier"
// keeps its marker: the folder it stands for depends on the machine, see lireDossierDepart).
QString texteParDefaut(Reglage r);

// Conversions, shared by readers and writers.
QString texteOuiNon(bool oui);
bool estOui(const QString& texte);
// Optional sign then ASCII digits; digits past any bound saturate rather than fail.
int lireEntierBorne(const QString& texte, int bas, int haut);

// Typed reads. The stored text, or the default when absent; a stored marker reads as
// the value it stands for. Text that was stored empty stays empty.
QString lireTexte(const Reglages& store, Reglage r);
bool lireOui(const Reglages& store, Reglage r);
// EntierBorne keys, clamped to their range.
int lireEntier(const Reglages& store, Reglage r);
// "Nom du dossier": the stored folder, or the user's Pictures folder (the home folder
// when it is missing) for the unset marker and for the old stores' "C:\".
QString lireDossierDepart(const Reglages& store);

// Typed writes: one key each; several keys of one user action go inside a LotReglages.
void ecrireTexte(Reglages& store, Reglage r, const QString& valeur);
void ecrireOui(Reglages& store, Reglage r, bool oui);
void ecrireEntier(Reglages& store, Reglage r, int valeur);

// Section and key names for code that addresses the store directly (tests, tools);
// each is read from the table above, so none is spelt twice.
namespace cles {
inline const QString Application = QStringLiteral("Ormelle");
inline const QString SectionCouleurs = sectionDe(Reglage::DebutDegrade);
inline const QString SectionAvertissement = sectionDe(Reglage::Avertissement);
inline const QString CleAffichage = cleDe(Reglage::Avertissement);
inline const QString SectionInfoBulles = sectionDe(Reglage::InfoBulles);
inline const QString CleValeur = cleDe(Reglage::InfoBulles);
inline const QString SectionConseils = sectionDe(Reglage::ConseilDemarrage);
inline const QString CleConseil = cleDe(Reglage::ConseilDemarrage);
inline const QString SectionDossier = sectionDe(Reglage::NomDossier);
inline const QString CleDossier = cleDe(Reglage::NomDossier);
inline const QString SectionPause = sectionDe(Reglage::DureePause);
inline const QString ClePause = cleDe(Reglage::DureePause);
inline const QString SectionTransition = sectionDe(Reglage::EffetTransition);
inline const QString CleEffet = cleDe(Reglage::EffetTransition);
inline const QString CleDureeTransition = cleDe(Reglage::DureeTransition);
inline const QString CleCouleurTransition = cleDe(Reglage::CouleurTransition);
inline const QString SectionAdapter = sectionDe(Reglage::AdapterImage);
inline const QString CleAdapter = cleDe(Reglage::AdapterImage);
inline const QString SectionAleatoire = sectionDe(Reglage::AffichageAleatoire);
inline const QString CleAleatoire = cleDe(Reglage::AffichageAleatoire);
inline const QString SectionCommentaire = sectionDe(Reglage::PoliceNom);
} // namespace cles
