#include "generateur.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

quint32 melanger(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

float valeurReseau(int x, int y, quint32 graine)
{
    const quint32 h = melanger(quint32(x) * 0x9E3779B1U ^ melanger(quint32(y) + graine));
    return float(h & 0xFFFF) / 65535.0f;
}

float lisser(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

// Value noise summed over octaves: large shapes and fine detail, like a landscape.
float fbm(float x, float y, quint32 graine)
{
    float somme = 0.0f, amplitude = 0.5f, frequence = 1.0f;
    for (int octave = 0; octave < 6; ++octave) {
        const float fx = x * frequence, fy = y * frequence;
        const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
        const float tx = lisser(fx - ix), ty = lisser(fy - iy);
        const quint32 g = graine + quint32(octave) * 7919U;
        const float a = valeurReseau(ix, iy, g), b = valeurReseau(ix + 1, iy, g);
        const float c = valeurReseau(ix, iy + 1, g), d = valeurReseau(ix + 1, iy + 1, g);
        somme += amplitude * ((a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty);
        amplitude *= 0.5f;
        frequence *= 2.03f;
    }
    return somme;
}

int borne(float v)
{
    return std::clamp(int(v), 0, 255);
}

void remplirLigne(QRgb* ligne, int y, int largeur, int hauteur, quint32 graine)
{
    // Six octaves over ~8 cells across the picture, whatever its size.
    const float echelle = 8.0f / float(std::max(largeur, hauteur));
    const float horizon = float(y) / float(hauteur);
    for (int x = 0; x < largeur; ++x) {
        const float f = fbm(x * echelle, y * echelle, graine);
        const quint32 bruit = melanger(quint32(y) * 131071U + quint32(x) + graine);
        const float grain = float(int(bruit & 31) - 16);
        const float ciel = 1.0f - horizon;
        const float r = 60 + 150 * f + 40 * ciel + grain;
        const float v = 70 + 120 * f + 60 * ciel + grain;
        const float b = 50 + 90 * (1 - f) + 110 * ciel + grain;
        ligne[x] = qRgb(borne(r), borne(v), borne(b));
    }
}

} // namespace

bool fabriquerJpeg(const QString& sortie, int largeur, int hauteur, int qualite, quint32 graine)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "impossible d'allouer %dx%d\n", largeur, hauteur);
        return false;
    }
    for (int y = 0; y < hauteur; ++y)
        remplirLigne(reinterpret_cast<QRgb*>(image.scanLine(y)), y, largeur, hauteur, graine);
    QImageWriter ecrivain(sortie, "jpeg");
    ecrivain.setQuality(qualite);
    if (!ecrivain.write(image)) {
        std::fprintf(stderr, "%s\n", qPrintable(ecrivain.errorString()));
        return false;
    }
    return true;
}

bool fabriquerDossier(const QString& dossier, int nombre)
{
    if (!QDir().mkpath(dossier))
        return false;
    static const char* const suffixes[] = {".jpg", ".JPG", ".png", ".bmp", ".Jpg", ".gif", ".txt", ".jpeg"};
    static const char* const debuts[] = {"IMG_", "img_", "Vacances ", "été ", "DSC", "photo-", "Écran "};
    for (int i = 0; i < nombre; ++i) {
        const quint32 h = melanger(quint32(i));
        const QString nom = QString::fromUtf8(debuts[h % 7]) + QString::number(h % 1000003) + QLatin1Char('_')
                            + QString::number(i) + QString::fromUtf8(suffixes[(h >> 8) % 8]);
        QFile f(dossier + QLatin1Char('/') + nom);
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}
