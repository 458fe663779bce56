#pragma once
// Synthetic inputs for the figures: photo-like JPEGs, a crowded folder, an animated GIF.
#include <QString>

// A fractal landscape with sensor-like noise, saved as JPEG quality `qualite`.
bool fabriquerJpeg(const QString& sortie, int largeur, int hauteur, int qualite, quint32 graine);

// `nombre` empty files in `dossier`, mostly pictures of several extensions and cases.
bool fabriquerDossier(const QString& dossier, int nombre);

// An animated GIF of `images` full frames of `largeur` x `hauteur`, `delaiCentiemes`
// apart, looping forever: colour bands sliding under a moving square, compressed
// with LZW as any encoder would. Written frame by frame: memory stays small.
bool fabriquerGif(const QString& sortie, int largeur, int hauteur, int images, int delaiCentiemes);
