#pragma once
// What the animation tests share: the view's first frame, a record of the frames
// handed out, a clock walked to the end, and the GIF suite's files.
#include "commun/ecrituregif.h"
#include "core/animation.h"
#include "core/serviceimages.h"

#include <QColor>
#include <QList>
#include <QSize>
#include <QStringList>

class HorlogeScriptee;

inline const QList<ImageGif> RougeVertBleu{{Qt::red, 10}, {Qt::green, 20}, {Qt::blue, 30}};

// What the view would have: the first frame fitted in a box twice the picture's size.
struct Vue {
    DemandeImage demande;
    ImagePrete premiere;
    explicit Vue(const QString& chemin);
};

// The colour and number of each frame handed out, and when.
struct Releve {
    QList<QColor> couleurs;
    QList<int> numeros;
    QList<qint64> temps;
    QSize taille;
    Releve(Animation& a, const HorlogeScriptee& h);
};

// Time moves on in steps shorter than any frame, each once the next frame is
// decoded and waits for its time, until the animation stops.
void jouerJusquAuBout(Animation& a, HorlogeScriptee& h);

// Lets the workers and the event loop run without moving the clock.
void laisserTourner();

// A test of the GIF suite: its file and the raw RGBA file of each of its frames.
bool lireSuite(const QString& racine, const QString& test, QString* gif, QStringList* pixels);

// Whether a frame shows the suite's RGBA pixels, what nothing painted laid on black.
bool conforme(const QImage& t, const QString& fichierRgba);
