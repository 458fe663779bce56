#pragma once
// The main window's hand-off to the full-screen viewer, and the task bar
// pair: here the panels of the desktop are covered by putting the viewer in
// its full-screen state, and left visible by a plain screen-sized window.

class General;
class QWidget;

// How the viewer opens: on the current picture; with the slideshow started at its
// first display; or on the picture alone, which the first click closes.
enum class OuverturePleinEcran { Normale, Diaporama, VueUnique };

// Hides the task bar, shows PleinEcran modally on FichierCourant in
// DossierCourant on the main window's screen, then shows the task bar again,
// brings the main window to the front and restores the pointer.
void LancerPleinEcran(General& g, QWidget* fenetrePrincipale,
                      OuverturePleinEcran ouverture = OuverturePleinEcran::Normale);

// The viewer (a PleinEcran, or nothing when none is open) covers the panels...
void MasquerBarreTaches(QWidget* pleinEcran);
// ...or leaves them visible.
void AfficherBarreTaches(QWidget* pleinEcran);
