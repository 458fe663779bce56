#include "generateur.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

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

namespace {

// LZW codes packed low bit first into 255-byte sub-blocks, as GIF stores them.
class SortieLzw {
public:
    explicit SortieLzw(QFile& f) : f_(f) {}
    void code(int c, int largeur)
    {
        tampon_ |= quint32(c) << bits_;
        bits_ += largeur;
        while (bits_ >= 8) {
            octet(char(tampon_ & 0xFF));
            tampon_ >>= 8;
            bits_ -= 8;
        }
    }
    void finir()
    {
        if (bits_ > 0)
            octet(char(tampon_ & 0xFF));
        vider();
        f_.putChar(0);
    }

private:
    void octet(char o)
    {
        bloc_[n_++] = o;
        if (n_ == 255)
            vider();
    }
    void vider()
    {
        if (n_ == 0)
            return;
        f_.putChar(char(n_));
        f_.write(bloc_, n_);
        n_ = 0;
    }
    QFile& f_;
    quint32 tampon_ = 0;
    int bits_ = 0;
    char bloc_[255];
    int n_ = 0;
};

void compresser(QFile& f, const std::vector<uchar>& pixels, std::vector<qint16>& table)
{
    constexpr int Effacer = 256, Fin = 257;
    SortieLzw sortie(f);
    f.putChar(8); // minimum code size
    int largeur = 9, dernier = Fin;
    std::fill(table.begin(), table.end(), qint16(-1));
    sortie.code(Effacer, largeur);
    int prefixe = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int k = pixels[i];
        qint16& suite = table[size_t(prefixe) * 256 + size_t(k)];
        if (suite >= 0) {
            prefixe = suite;
            continue;
        }
        sortie.code(prefixe, largeur);
        suite = qint16(++dernier);
        if (dernier >= (1 << largeur))
            ++largeur;
        if (dernier == 4095) { // the table is full: start it again
            sortie.code(Effacer, largeur);
            std::fill(table.begin(), table.end(), qint16(-1));
            largeur = 9;
            dernier = Fin;
        }
        prefixe = k;
    }
    sortie.code(prefixe, largeur);
    sortie.code(Fin, largeur);
    sortie.finir();
}

void mot(QFile& f, int v)
{
    f.putChar(char(v & 0xFF));
    f.putChar(char((v >> 8) & 0xFF));
}

} // namespace

bool fabriquerGif(const QString& sortie, int largeur, int hauteur, int images, int delaiCentiemes)
{
    QFile f(sortie);
    if (largeur <= 0 || hauteur <= 0 || largeur > 65535 || hauteur > 65535 || images <= 0
        || !f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "écriture impossible : %s\n", qPrintable(sortie));
        return false;
    }
    f.write("GIF89a");
    mot(f, largeur);
    mot(f, hauteur);
    f.putChar(char(0xF7)); // a global table of 256 colours
    f.putChar(0);
    f.putChar(0);
    // 192 hues, then 64 greys.
    for (int i = 0; i < 256; ++i) {
        const QColor c = i < 192 ? QColor::fromHsv(i * 360 / 192, 200, 230)
                                 : QColor(255 - (255 - i) * 4, 255 - (255 - i) * 4, 255 - (255 - i) * 4);
        f.putChar(char(c.red()));
        f.putChar(char(c.green()));
        f.putChar(char(c.blue()));
    }
    f.write("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19); // loop forever
    std::vector<uchar> pixels(size_t(largeur) * size_t(hauteur));
    std::vector<qint16> table(4096 * 256);
    const int cote = std::max(8, hauteur / 5);
    for (int n = 0; n < images; ++n) {
        // Bands sliding to the right, a square crossing the picture and coming back.
        for (int y = 0; y < hauteur; ++y) {
            uchar* ligne = pixels.data() + size_t(y) * size_t(largeur);
            for (int x = 0; x < largeur; ++x)
                ligne[x] = uchar(((x + 8 * n) / 48 + y / 120) % 192);
        }
        const int course = std::max(1, largeur - cote);
        const int pas = (n * 16) % (2 * course);
        const int x0 = pas < course ? pas : 2 * course - pas;
        const int y0 = (hauteur - cote) / 2;
        for (int y = y0; y < y0 + cote && y < hauteur; ++y)
            std::fill_n(pixels.data() + size_t(y) * size_t(largeur) + size_t(x0), std::min(cote, largeur - x0),
                        uchar(255));
        f.write("\x21\xF9\x04\x04", 4); // disposal: keep
        mot(f, delaiCentiemes);
        f.putChar(0);
        f.putChar(0);
        f.putChar(char(0x2C));
        mot(f, 0);
        mot(f, 0);
        mot(f, largeur);
        mot(f, hauteur);
        f.putChar(0);
        compresser(f, pixels, table);
    }
    f.putChar(char(0x3B));
    return f.error() == QFile::NoError;
}
