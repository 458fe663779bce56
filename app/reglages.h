#pragma once
// The per-user settings store: application, section and key, every value a text.
#include <QString>
#include <memory>
#include <optional>

class QSettings;

class Reglages {
public:
    // The user's store: $XDG_CONFIG_HOME/Ormelle/Ormelle.ini.
    Reglages();
    // A store kept in the given INI file (tests, or another profile).
    explicit Reglages(const QString& cheminFichier);
    ~Reglages();

    QString fichier() const { return chemin_; }

    // nullopt when the key is absent; an empty text when it was stored empty.
    std::optional<QString> lire(const QString& section, const QString& cle) const;

    QString GetSetting(const QString& application, const QString& section, const QString& cle,
                       const QString& defaut) const;
    void SaveSetting(const QString& application, const QString& section, const QString& cle,
                     const QString& valeur);
    void DeleteSetting(const QString& application);

private:
    QString chemin_;
    std::unique_ptr<QSettings> settings_;
};

// Section and key names, spelt once.
namespace cles {
inline const QString Application = QStringLiteral("Ormelle");
inline const QString SectionCouleurs = QStringLiteral("Couleurs de l'interface");
inline const QString SectionAvertissement = QStringLiteral("Avertissement");
inline const QString CleAffichage = QStringLiteral("Affichage");
inline const QString SectionInfoBulles = QStringLiteral("Affichage des info-bulles");
inline const QString CleValeur = QStringLiteral("Valeur");
inline const QString SectionConseils = QStringLiteral("Conseils du jour");
inline const QString CleConseil = QStringLiteral("Conseil au démarrage");
inline const QString SectionDossier = QStringLiteral("Dossier ouvert au démarrage");
inline const QString CleDossier = QStringLiteral("Nom du dossier");
inline const QString SectionPause =
    QStringLiteral("Durée de la pause entre l'affichage des images (en secondes, de 1 à 60)");
inline const QString ClePause = QStringLiteral("DuréePause");
inline const QString SectionTransition = QStringLiteral("Effet de transition entre les images");
inline const QString CleEffet = QStringLiteral("EffetTransition");
inline const QString CleDureeTransition = QStringLiteral("DuréeTransition");
inline const QString CleCouleurTransition = QStringLiteral("CouleurTransition");
inline const QString SectionAdapter = QStringLiteral("Adapter l'image à la taille de l'écran");
inline const QString CleAdapter = QStringLiteral("AdapterImage");
inline const QString SectionAleatoire = QStringLiteral("Ordre d'affichage aléatoire des images");
inline const QString CleAleatoire = QStringLiteral("AffichageAléatoire");
inline const QString SectionCommentaire = QStringLiteral("Commentaire");
}
