#pragma once
// What the loader sees of the image module (libormelle-images): the HEIC/HEIF, AVIF and
// JPEG XL readers, with libheif, libjxl and the codecs they pull in (libde265, x265, aom,
// dav1d, highway, Brotli…). It is loaded on the first such file, so that a launch maps
// none of them. Header only: the loader and the module are built from it together.
#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QSize>
#include <atomic>

class QIODevice;

// The readers' entry points: platform/lecteurheif.h and platform/lecteurjxl.h say what
// each call does.
struct PointsImages {
    using Taille = QSize (*)(QIODevice* appareil);
    using Lecture = ResultatImage (*)(QIODevice* appareil, const QSize& cible, const dimensions::Budget& budget,
                                      const std::atomic<bool>* annulation);
    Taille tailleHeif;
    Lecture lireHeif;
    Taille tailleJxl;
    Lecture lireJxl;
};

#define ORMELLE_SYMBOLE_IMAGES "ormelle_points_images"
extern "C" const PointsImages* ormelle_points_images();
