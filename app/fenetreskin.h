#pragma once
// The pieces every borderless skinned window of the program is made of: the
// dialog itself, its title row that drags it, its close button, its bands.
#include <QColor>
#include <QString>

class BoutonSkin;
class General;
class QDialog;
class QWidget;

// A borderless dialog of a fixed size (twips), on the window background colour,
// centred over its owner when it opens.
void preparerDialogueSkin(QDialog* d, General& g, double largeur, double hauteur);

// Each time `fenetre` opens, centres it over the window that owns it (the screen when it
// has none), kept on that screen. Qt's own placing takes a guessed frame off a window
// that has none and opens it off centre.
void centrerAOuverture(QWidget* fenetre);

// An inactive gradient band ("Forme…"); the scheme colours it.
BoutonSkin* creerBande(QWidget* parent, const QString& nom, double gauche, double haut, double largeur, double hauteur,
                       Qt::Orientation sens = Qt::Vertical);
// The same, coloured from `debut` to `fin` at once.
BoutonSkin* creerBande(QWidget* parent, const QString& nom, double gauche, double haut, double largeur, double hauteur,
                       const QColor& debut, const QColor& fin);

// A text button in the scheme: gradient, caption colour and highlight colour.
BoutonSkin* creerBouton(QWidget* parent, const QString& nom, const QString& texte, double gauche, double haut,
                        double largeur, double hauteur, const QColor& debut, const QColor& fin,
                        const QColor& couleurTexte, const QColor& lumiere);

// The title row of a dialog: drags the window, tooltip per the user's preference.
BoutonSkin* creerTitre(QWidget* parent, General& g, const QString& texte, double largeur);
// The "x" button beside the title, closing the dialog.
BoutonSkin* creerFermer(QDialog* d, General& g, double gauche);
