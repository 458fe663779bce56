#pragma once
// The slideshow's settings: the pause, the transition and how a picture fills the
// screen. The full-screen viewer, its menu and the settings dialog change them for
// the run; they reach the file only when the user asks the dialog to keep them.
#include "core/ajustement.h"

#include <QColor>
#include <QString>
#include <optional>

class Reglages;

class ReglagesDiaporama {
public:
    ReglagesDiaporama(); // the values in force when nothing is stored

    int dureePause = 1; // seconds, 1 to 60
    bool effetTransition = false;
    int dureeTransition = 1; // 1 to 100
    bool ordreAleatoire = false;

    void lire(const Reglages& store);
    // The six keys after "Nom du dossier" (`dossier`), in one write of the file.
    void ecrire(Reglages& store, const QString& dossier) const;

    QColor couleurTransition() const { return couleurTransition_; }
    void setCouleurTransition(const QColor& couleur);
    // None when the stored text is no mode: no choice shows as made, and the
    // picture is placed as when it is not fitted.
    std::optional<ajustement::Mode> adaptation() const { return adaptation_; }
    void setAdaptation(ajustement::Mode mode);

    bool operator==(const ReglagesDiaporama& o) const;

private:
    QColor couleurTransition_;
    std::optional<ajustement::Mode> adaptation_ = ajustement::NePasAdapter;
    // The colour and the mode keep the text they were read from until they are set:
    // a text that is no value, or another spelling of one ("&HFF", "plein"), goes
    // back to the file as it was when the user changed something else.
    std::optional<QString> texteCouleur_;
    std::optional<QString> texteAdaptation_;
};
