#pragma once
// The thumbnails the whole desktop shares (the freedesktop Thumbnail Managing
// Standard): $XDG_CACHE_HOME/thumbnails/{normal,large,x-large,xx-large}/MD5(URI).png,
// read before a thumbnail is decoded, written after. Runs on the picture
// service's workers, never on the interface thread.
#include "core/imageprete.h"
#include "platform/chargeurimage.h"

#include <QHash>
#include <functional>

namespace vignettes {

// How a picture is decoded when no thumbnail serves (tests count the calls).
using Charger = std::function<ResultatImage(const QString& chemin, const QSize& cible)>;

QString dossierCache();
// The file's own bytes as a file:// address, escaped as the desktop's file managers do.
QString uri(const QString& chemin);
// The thumbnail's path for `chemin` at `taille` (128, 256, 512 or 1024); the
// failure record's when `taille` is 0.
QString cheminVignette(const QString& chemin, int taille);
// The text chunks of a PNG (tEXt, zTXt, iTXt), by key.
QHash<QByteArray, QByteArray> textesPng(const QByteArray& png);
// The smallest standard size whose square covers a cell of `pixels`.
int tailleQuiCouvre(const QSize& pixels);

// A thumbnail cell: from the shared thumbnail when one is valid for the file,
// else decoded, then written for every program. `demande.ajustement` is Miniature.
ImagePrete preparerMiniature(const DemandeImage& demande, const Charger& charger = {});

} // namespace vignettes
