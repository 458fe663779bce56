#pragma once
// The drawing state a metafile changes record by record (Windows' device
// context) and the objects its table holds.
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QString>
#include <QVector>

namespace wmf {

enum StylePlume { PsSolid = 0, PsDash, PsDot, PsDashDot, PsDashDotDot, PsNull, PsInsideFrame };
enum StyleBrosse { BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3, BsDibPattern = 5 };

struct Plume {
    int style = PsSolid; // low byte: dash style; then end cap and join flags
    int largeur = 0;     // logical units, 0 = one device pixel
    QColor couleur = Qt::black;
};

struct Brosse {
    int style = BsSolid;
    QColor couleur = Qt::white;
    int hachure = 0;
    QImage motif;
};

struct Police {
    QString nom;
    int hauteur = 0; // logical units; negative = character height, positive = cell height
    int largeur = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int graisse = 400;
    bool italique = false, souligne = false, barre = false;
    int jeu = 0; // character set
};

struct Objet {
    enum Genre { Plume_, Brosse_, Police_, Palette_, Region_ } genre = Plume_;
    Plume plume;
    Brosse brosse;
    Police police;
    QVector<QRgb> palette;
    QRegion region; // logical units
};

struct Contexte {
    QPointF fenOrg, fenExt, vueOrg, vueExt;
    int modeMap = 8; // anisotropic: how placeable files are played
    Plume plume;
    Brosse brosse;
    Police police;
    QColor couleurTexte = Qt::black;
    QColor couleurFond = Qt::white;
    bool fondOpaque = true;
    bool remplissageEnroulement = false; // ALTERNATE unless WINDING
    int rop2 = 13;                       // R2_COPYPEN
    int alignTexte = 0;
    int modeEtirement = 1;
    int espacementCar = 0;
    QPointF position; // current position, logical units
    bool clipActif = false;
    QRegion clip; // device pixels
};

} // namespace wmf
