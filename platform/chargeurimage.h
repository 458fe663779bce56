#pragma once
// The one picture loader every window uses. It picks the format from the file's
// content, applies the EXIF orientation, decodes no larger than the picture will
// be shown and keeps memory bounded whatever the input. Safe to call from any thread.
#include "platform/couleurs.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QFile>
#include <atomic>
#include <memory>

class QImageReader;

struct ResultatImage {
    QImage image;          // decoded, already oriented, at no more than needed for `cible`
    QSize tailleNaturelle; // natural size in pixels after orientation (what the fitting rules use)
    QString erreur;        // French text when image is null
    bool animable = false; // a format that may hold more frames (GIF, WebP): LecteurAnimation reads them
    QByteArray profilIcc;  // the picture's embedded ICC profile; empty: sRGB
    bool ok() const { return !image.isNull(); }
};

// `cible`: size in device pixels of the rectangle the picture will be drawn into;
// its proportions may differ from the picture's (stretched full screen). The image
// returned keeps the picture's proportions and is the smallest that covers `cible`
// in both directions, never above the natural size. An invalid or empty `cible`
// asks for the natural size (still bounded in memory). Transparent parts are laid
// on `fondTransparence`.
// `annulation`, when given and set while the decode runs, makes it stop at its next
// read of the file (its result is then an error nobody should show).
// The colours come out converted from the picture's profile to `sortie`'s.
ResultatImage chargerImage(const QString& chemin, const QSize& cible, const QColor& fondTransparence = Qt::black,
                           const std::atomic<bool>* annulation = nullptr,
                           couleurs::Sortie sortie = couleurs::Sortie::Ecran);

// Natural size read from the header only, after orientation; invalid when unreadable.
QSize lireTailleNaturelle(const QString& chemin);

// The loader's answers for a picture past its decoding budget (dimensions::budgetPour).
QString texteImageTropGrande();
QString texteImageTropComplexe();
QString texteLectureAnnulee();

// Reads the frames of an animated picture (GIF, WebP) one after the other, for as
// long as it lives: Qt's reader composites each frame on the ones before (disposal,
// transparency, offsets); each comes out covering `cible` and laid on `fond`, as
// chargerImage's would, within the same budget. Never more than the frame being
// composited and the one handed back are held. Use it from one thread at a time.
// Frames come out converted to `sortie` as chargerImage's pictures do.
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
    // Frames the file declares (0: unknown), and its loop count as Qt gives it
    // (-1: forever; n: played n more times after the first).
    int nombreImages() const { return nombre_; }
    int boucles() const { return boucles_; }
    // Frames read since the last rewind.
    int lues() const { return lues_; }

private:
    bool ouvrirLecteur();

    QString chemin_;
    QSize cible_;
    QColor fond_;
    couleurs::Sortie sortie_;
    QByteArray profil_;
    QFile fichier_;
    std::unique_ptr<QImageReader> lecteur_;
    QSize couverture_;
    int nombre_ = 0;
    int boucles_ = 0;
    int lues_ = 0;
};
