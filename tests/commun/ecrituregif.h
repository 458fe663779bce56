#pragma once
// Writes small animated GIFs whose every frame, delay and loop count the test
// chooses. The pixels go out as literal LZW codes with a clear code often
// enough that the code width never grows: large files, but the simplest
// encoding every decoder must read.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <utility>
#include <vector>

struct ImageGif {
    QColor couleur;       // palette entry n for frame n, the whole frame in it unless `indices` says
    int delaiCentiemes;   // delay after the frame, in 1/100 s
    QByteArray donnees{}; // replaces the frame's LZW data when set (a damaged frame)
    QRect cadre{};        // the frame's rectangle; empty: the whole canvas
    int disposition = 1;  // 1 keep, 2 clear to the background, 3 restore what was under
    QByteArray indices{}; // palette index of each pixel, row by row (255: transparent)
    bool entrelacee = false;
};

namespace ecrituregif {

inline void mot(QByteArray& o, int v)
{
    o.append(char(v & 0xFF));
    o.append(char((v >> 8) & 0xFF));
}

// LZW data of the pixels' palette entries, at a minimum code size of 8.
inline QByteArray lzwLitteral(const QByteArray& pixels)
{
    constexpr int Effacer = 256, Fin = 257, Largeur = 9;
    std::vector<int> codes{Effacer};
    for (int i = 0; i < pixels.size(); ++i) {
        // A clear before the table reaches 512 entries keeps every code 9 bits wide.
        if (i > 0 && i % 250 == 0)
            codes.push_back(Effacer);
        codes.push_back(uchar(pixels[i]));
    }
    codes.push_back(Fin);
    QByteArray octets;
    quint32 tampon = 0;
    int bits = 0;
    for (int c : codes) {
        tampon |= quint32(c) << bits;
        bits += Largeur;
        while (bits >= 8) {
            octets.append(char(tampon & 0xFF));
            tampon >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        octets.append(char(tampon & 0xFF));
    QByteArray blocs;
    for (qsizetype i = 0; i < octets.size(); i += 255) {
        const QByteArray morceau = octets.mid(i, 255);
        blocs.append(char(morceau.size()));
        blocs.append(morceau);
    }
    blocs.append(char(0));
    return blocs;
}

// Rows in the order an interlaced image stores them: every 8th from 0, every 8th
// from 4, every 4th from 2, every 2nd from 1.
inline QByteArray entrelacer(const QByteArray& pixels, int largeur)
{
    const int hauteur = int(pixels.size() / largeur);
    QByteArray o;
    for (auto [debut, pas] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = debut; y < hauteur; y += pas)
            o.append(pixels.mid(qsizetype(y) * largeur, largeur));
    return o;
}

// `boucles`: the NETSCAPE loop count (0: forever); negative writes no loop extension (played once).
inline QByteArray gif(QSize taille, const QList<ImageGif>& images, int boucles)
{
    QByteArray o("GIF89a");
    mot(o, taille.width());
    mot(o, taille.height());
    o.append(char(0xF7)); // a global table of 256 entries
    o.append(char(0));
    o.append(char(0));
    QByteArray palette(256 * 3, 0);
    for (int i = 0; i < images.size(); ++i) {
        palette[3 * i] = char(images[i].couleur.red());
        palette[3 * i + 1] = char(images[i].couleur.green());
        palette[3 * i + 2] = char(images[i].couleur.blue());
    }
    o.append(palette);
    if (boucles >= 0) {
        o.append("\x21\xFF\x0B"
                 "NETSCAPE2.0\x03\x01",
                 16);
        mot(o, boucles);
        o.append(char(0));
    }
    for (int i = 0; i < images.size(); ++i) {
        const ImageGif& im = images[i];
        const QRect cadre = im.cadre.isEmpty() ? QRect(QPoint(0, 0), taille) : im.cadre;
        const bool transparence = im.indices.contains(char(255));
        o.append("\x21\xF9\x04", 3);
        o.append(char(im.disposition << 2 | (transparence ? 1 : 0)));
        mot(o, im.delaiCentiemes);
        o.append(char(transparence ? 255 : 0));
        o.append(char(0));
        o.append(char(0x2C));
        mot(o, cadre.x());
        mot(o, cadre.y());
        mot(o, cadre.width());
        mot(o, cadre.height());
        o.append(char(im.entrelacee ? 0x40 : 0));
        o.append(char(8));
        QByteArray pixels = im.indices.isEmpty() ? QByteArray(cadre.width() * cadre.height(), char(i)) : im.indices;
        if (im.entrelacee)
            pixels = entrelacer(pixels, cadre.width());
        o.append(im.donnees.isEmpty() ? lzwLitteral(pixels) : im.donnees);
    }
    o.append(char(0x3B));
    return o;
}

inline bool ecrire(const QString& chemin, QSize taille, const QList<ImageGif>& images, int boucles)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(gif(taille, images, boucles)) >= 0;
}

} // namespace ecrituregif
