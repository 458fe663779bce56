#pragma once
// Driving one viewer over a folder of three plain pictures, red, green and blue:
// each step waits until the picture asked for is on screen (decodes run on workers).
#include <QColor>
#include <QList>
#include <QString>

class ModeleDossier;
class PleinEcran;
class QWidget;

namespace pilotage {
extern const QList<QColor> Couleurs;

// A 160 × 120 BMP of one colour.
void ecrireImage(const QString& chemin, const QColor& couleur);
void listee(const ModeleDossier& m);
void montree(const PleinEcran& v);
void etape(PleinEcran& v);
void touche(PleinEcran& v, QWidget* cible, Qt::Key t);
// Turns the wheel by `huitiemes` eighths of a degree (120 a notch; negative towards
// the user). Sent to the viewer itself: a wheel event that is not the window
// system's does not climb from the picture to its parent.
void roulette(PleinEcran& v, int huitiemes);
// Which of the colours the viewer shows; -1 for none (background only).
int couleurAffichee(const PleinEcran& v);
} // namespace pilotage
