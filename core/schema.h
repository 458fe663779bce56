#pragma once
// The seven-colour scheme every window is painted with, and the colour numbers
// it is stored as: red in the low byte, green in the second, blue in the third.
#include <QColor>
#include <QString>
#include <array>
#include <optional>

class Reglages;

enum class Role {
    DebutDegrade,  // "Début du dégradé"
    FinDegrade,    // "Fin du dégradé"
    TexteBoutons,  // "Texte des boutons"
    Lumiere,       // "'Lumière' des boutons"
    AutresTextes,  // "Autres textes"
    FondFenetres,  // "Fond des fenêtres"
    Visualisation, // "Visualisation, dossiers, etc."
};
constexpr int NbRoles = 7;

// "&H808000" (hexadecimal) or "8421376" (decimal); nullopt for any other text.
std::optional<quint32> lireNombreCouleur(const QString& texte);
QColor versQColor(quint32 nombre);
quint32 depuisQColor(const QColor& c);

struct SchemaCouleurs {
    // Each value is the text read from the store, or the decimal number after a change.
    std::array<QString, NbRoles> textes;

    SchemaCouleurs();
    QString& operator[](Role r) { return textes[static_cast<int>(r)]; }
    const QString& operator[](Role r) const { return textes[static_cast<int>(r)]; }
    // The colour in force for a role; a text that is no colour gives the role's default.
    QColor couleur(Role r) const;

    static QString cle(Role r);
    static QString texteParDefaut(Role r);     // "&H808000"…
    static quint32 nombreParDefaut(Role r);    // 8421376…
    static quint32 nombreSecondSchema(Role r); // 3355545…

    void lire(const Reglages& reglages);
    void enregistrer(Reglages& reglages, Role r) const;
    void enregistrerTout(Reglages& reglages) const; // in table order, one write of the file
    void reinitialiser();                           // defaults, as numbers
    void secondSchema();
};
