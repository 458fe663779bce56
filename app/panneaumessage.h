#pragma once
// A captioned message panel: a text that wraps and an OK button below it. The panel
// grows downwards to hold the whole text, keeping its place and width, and scrolls the
// text only when its window has no room left below it. Return, Enter, Space and Escape
// press the button.
#include "app/skin.h"

#include <QRect>

class QLabel;
class QScrollArea;

class PanneauMessage : public PanneauSkin {
    Q_OBJECT
public:
    // The panel's size and the places of its text and of its button inside it, in
    // twips, as they stand for a text that fits the text's own box.
    PanneauMessage(QWidget* parent, const QString& nom, const QString& titre, QSizeF taille, QRectF texte,
                   QRectF bouton);

    QLabel* texte() const { return texte_; }
    BoutonSkin* bouton() const { return bouton_; }
    // Sets the text and fits the panel to it.
    void setTexte(const QString& texte);
    // Fits the panel to its text within `hauteurMax` pixels; by default, down to the
    // bottom edge of the window it stands in.
    void ajuster(int hauteurMax = -1);

private:
    QSize taille_;
    QRect zoneTexte_;
    QRect zoneBouton_;
    QScrollArea* defilement_;
    QLabel* texte_;
    BoutonSkin* bouton_;
};
