#pragma once
// The frames of an animated GIF, decoded with giflib row by row straight into the
// buffer the caller hands over, composited there as browsers do: each frame's
// disposal (keep, clear to the background, restore what was under it), its
// transparent index, its interlaced rows, its rectangle clipped to the canvas.
// What nothing has painted shows `fond`. The colours come out already converted
// to `sortie`: the palettes are converted, not the frames.
#include "platform/couleurs.h"

#include <QColor>
#include <QImage>
#include <QIODevice>
#include <QRect>
#include <memory>
#include <vector>

struct GifFileType;

class LecteurGif {
public:
    // What a pass over the whole file finds, no pixel decoded.
    struct Infos {
        QSize ecran;     // the logical screen
        int images = 0;  // image descriptors met, a damaged last one included
        int boucles = 0; // -1: forever; n: played n more times after the first
        bool ok = false;
    };
    static Infos examiner(QIODevice* appareil);

    // `appareil` is read from its start; it must outlive the reader.
    LecteurGif(QIODevice* appareil, const QColor& fond, const QByteArray& profil, couleurs::Sortie sortie);
    ~LecteurGif();
    bool ok() const { return gif_ != nullptr; }
    QSize ecran() const { return ecran_; }
    // Pixels a frame may cover, what sticks out of the canvas included; a larger one is damaged.
    void limiterTrame(qint64 pixels) { pixelsMax_ = pixels; }

    // Composites the next frame into *image (RGB32, the canvas's size), reusing its
    // buffer when nothing else holds it; `delaiMs` as the file gives it. False past
    // the last frame or on a frame that cannot be read whole; *image is then not to
    // be shown.
    bool lire(QImage* image, int* delaiMs);

    // Where giflib's bytes come from.
    struct Source;

private:
    struct Controle {
        int disposition = 0;
        int transparent = -1;
        int delaiMs = 0;
    };
    bool lireJusquAImage(Controle* controle);
    void preparerFond(QImage& image, bool enPlace) const;
    bool decoderLignes(QImage& image, const QRect& cadre, bool entrelacee, const Controle& controle);
    void palette();
    void sauter();

    std::unique_ptr<Source> source_;
    GifFileType* gif_ = nullptr;
    QSize ecran_;
    QRgb fond_;
    QByteArray profil_;
    couleurs::Sortie sortie_;
    qint64 pixelsMax_ = 0;
    QImage precedente_;    // the canvas as the last frame left it (the caller's buffer, shared)
    QImage sousTrame_;     // what the last frame covered, when it is to be restored
    QRect cadrePrecedent_; // the last frame's rectangle on the canvas
    int dispositionPrecedente_ = 0;
    std::vector<unsigned char> ligne_;
    QRgb couleurs_[256];
    bool debut_ = true; // no frame composited yet
    bool fin_ = false;
};
