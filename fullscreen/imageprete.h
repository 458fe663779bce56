#pragma once
// A picture decoded and already fitted to the screen, ready to be drawn as is:
// what the viewer shows and what the prefetch workers make ahead of time.

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

struct ParametresAffichage {
    QSize ecran;          // the screen, in logical pixels
    qreal ratioPixels = 1; // device pixels per logical pixel
    int mode = 0;          // AdapterImage
    QColor fond = Qt::black; // fills transparent parts of the picture

    bool operator==(const ParametresAffichage& o) const
    {
        return ecran == o.ecran && ratioPixels == o.ratioPixels && mode == o.mode && fond == o.fond;
    }
    bool operator!=(const ParametresAffichage& o) const { return !(*this == o); }
};

struct ImagePrete {
    QString chemin;
    quint64 generation = 0;
    QImage image;      // at the fitted size, in device pixels
    QRectF rectTwips;  // where it goes on the screen
    QSizeF naturelle;  // natural size, twips
    QString erreur;

    bool ok() const { return erreur.isEmpty() && !image.isNull(); }
    qint64 octets() const { return image.sizeInBytes(); }
};

// Loads and fits one picture. Thread-safe: the workers and the interface
// thread call the same function.
ImagePrete preparerImage(const QString& chemin, const ParametresAffichage& parametres);
