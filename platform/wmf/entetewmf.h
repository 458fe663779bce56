#pragma once
// The two headers that open a metafile, and the frame the picture is drawn in.
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace wmf {

constexpr quint32 ClePlaceable = 0x9AC6CDD7u;
constexpr int TaillePlaceable = 22;

struct Entete {
    bool placeable = false;
    QRectF boite; // placeable bounding box, logical units (may be flipped)
    int unitesParPouce = 0;
    qsizetype debutEnregistrements = 0; // byte offset of the first record
    int nbObjets = 0;
    // The rectangle of logical space that maps onto the whole picture: the
    // placeable box, or else the first window the records set.
    QPointF origineCadre;
    QPointF etendueCadre;
    QSizeF tailleNaturellePx;
};

// Fills `e` from the headers, or returns false with a French message in `erreur`.
bool lireEntete(const QByteArray& donnees, Entete* e, QString* erreur);

} // namespace wmf
