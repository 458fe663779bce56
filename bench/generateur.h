#pragma once
// Synthetic inputs for the figures: photo-like JPEGs and a crowded folder.
#include <QString>

// A fractal landscape with sensor-like noise, saved as JPEG quality `qualite`.
bool fabriquerJpeg(const QString& sortie, int largeur, int hauteur, int qualite, quint32 graine);

// `nombre` empty files in `dossier`, mostly pictures of several extensions and cases.
bool fabriquerDossier(const QString& dossier, int nombre);
