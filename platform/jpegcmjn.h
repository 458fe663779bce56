#pragma once
// CMYK JPEGs (Adobe's inverted ones too) decoded by libjpeg itself and brought
// to RGB through their own CMYK profile: Qt's reader folds the inks into RGB
// without one.
#include "platform/chargeurimage.h"
#include "platform/couleurs.h"

// `octets`: the whole file. Shrinks while decoding as chargerImage does, within the
// same budget, stops between rows once `annulation` is set, and applies the EXIF
// orientation. `icc` must be a CMYK profile (couleurs::transformationCmjn accepts it).
ResultatImage lireJpegCmjn(const QByteArray& octets, const QByteArray& icc, const QSize& cible,
                           const std::atomic<bool>* annulation, couleurs::Sortie sortie);
