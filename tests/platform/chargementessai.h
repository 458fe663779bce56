#pragma once
// What the loader tests share: pictures whose halves tell an orientation, colours
// compared with a tolerance, and a folder where the test files are written or made
// by the tools that write the recent formats.
#include "platform/chargeurimage.h"

#include <QByteArray>
#include <QImage>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

inline const QRgb Rouge = qRgb(255, 0, 0), Vert = qRgb(0, 255, 0), Bleu = qRgb(0, 0, 255), Noir = qRgb(0, 0, 0);

// A picture of one colour.
QImage unie(QSize taille, QRgb couleur);

// Left half red, right half blue: shows where an orientation put the left edge.
QImage moitiesRougeBleu(int largeur, int hauteur);

bool proche(QRgb a, QRgb b, int ecart = 24);

// `couleur` from sRGB to the inks of the CMYK profile `icc` and back, as Little CMS goes.
QRgb cmjnAllerRetour(QRgb couleur, const QByteArray& icc);

// The JPEG XL codestream `jxl`, made from a 64x48 picture (a size header of 9 bits),
// declaring `cote` x `cote` instead: every bit after the header moves along.
QByteArray jxlCarre(const QByteArray& jxl, quint32 cote);

// The decoded picture in 32-bit RGB, to compare with one made here.
QImage lignes(const ResultatImage& r);

// The image format plugins this process has loaded, by file name ("/libqjpeg.so").
QSet<QByteArray> pluginsImagesCharges();

// Pixels no encoder can squeeze, the same on every run.
QImage bruit(int largeur, int hauteur);
// Empty when Qt cannot write it.
QByteArray enPng(const QImage& image);

// Where this process reads the file `chemin`, from its descriptor; -1 when none is open.
qint64 positionDeLecture(const QString& chemin);

// The EXIF segment of an RGB test JPEG with `orientation`, laid after the start-of-image
// marker of `jpeg`; nothing for 0.
void insererExif(QByteArray& jpeg, int orientation);

// The test's folder, and the files written or made in it; a warning when one cannot be.
struct DossierImages : QTemporaryDir {
    QString fichier(const QString& nom, const QByteArray& octets) const;
    // `source` written as `nom` (HEIC, AVIF, JPEG XL or JPEG, from its suffix) by the tool
    // that makes it; empty when the tool is not installed.
    QString produire(const QString& source, const QString& nom, const QStringList& options = {}) const;
    QString png(const QString& nom, const QImage& image) const;
    static QByteArray lire(const QString& chemin);
    // `image` as a CMYK JPEG written by ImageMagick's `convert` through Ghostscript's
    // default CMYK profile; empty when it fails.
    QByteArray jpegCmjn(const QString& convert, const QImage& image) const;
};
