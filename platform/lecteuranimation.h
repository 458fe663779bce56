#pragma once
#include "platform/couleurs.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

class LecteurGif;
class QImageReader;

// Reads the frames of an animated picture (GIF, WebP) one after the other, for as
// long as it lives, each composited on the ones before (disposal, transparency,
// offsets): GIF by platform/lecteurgif.h, the others by Qt's reader. Each comes out covering `cible` and laid on
// `fond`, as chargerImage's would, within the same budget. Never more than the frame being composited and the one
// handed back are held (a GIF frame the size shown is composited in the one handed back). Use it from one thread at a
// time. Frames come out converted to `sortie` as chargerImage's pictures do.
class LecteurAnimation {
public:
    LecteurAnimation(const QString& chemin, const QSize& cible, const QColor& fond,
                     couleurs::Sortie sortie = couleurs::Sortie::Ecran);
    ~LecteurAnimation();

    // The next frame and how long it stays on screen (ms, as the file says); false
    // past the last frame, on a damaged one, or when the file cannot be read.
    // The frame is written into *image's own buffer when nothing else holds that
    // buffer and it has the frame's size: frames then cost no allocation.
    bool lire(QImage* image, int* delaiMs);
    // Back before the first frame; false when the file can no longer be read.
    bool rembobiner();
    // Frames the file declares (0: unknown), and its loop count
    // (-1: forever; n: played n more times after the first).
    int nombreImages() const { return nombre_; }
    int boucles() const { return boucles_; }
    // Frames read since the last rewind.
    int lues() const { return lues_; }

private:
    bool ouvrirLecteur();
    bool ouvrirGif();
    bool lireGif(QImage* image, int* delaiMs);

    QString chemin_;
    QSize cible_;
    QColor fond_;
    couleurs::Sortie sortie_;
    QByteArray profil_;
    QFile fichier_;
    std::unique_ptr<QImageReader> lecteur_;
    std::unique_ptr<LecteurGif> gif_; // GIF: giflib, the frames composited by the reader itself
    QImage toile_;                    // a GIF's canvas, when frames are fitted smaller
    QSize ecranGif_;
    bool examine_ = false;
    QSize couverture_;
    int nombre_ = 0;
    int boucles_ = 0;
    int lues_ = 0;
};
