#pragma once
// Writes small animated GIFs whose every frame, delay and loop count the test
// chooses. The pixels go out as literal LZW codes with a clear code often
// enough that the code width never grows: large files, but the simplest
// encoding every decoder must read.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QList>
#include <QSize>
#include <QString>
#include <vector>

struct ImageGif {
    QColor couleur;       // the whole frame in one colour
    int delaiCentiemes;   // delay after the frame, in 1/100 s
    QByteArray donnees{}; // replaces the frame's LZW data when set (a damaged frame)
};

namespace ecrituregif {

inline void mot(QByteArray& o, int v)
{
    o.append(char(v & 0xFF));
    o.append(char((v >> 8) & 0xFF));
}

// LZW data of `n` pixels of palette entry `indice`, at a minimum code size of 8.
inline QByteArray lzwLitteral(int n, int indice)
{
    constexpr int Effacer = 256, Fin = 257, Largeur = 9;
    std::vector<int> codes{Effacer};
    for (int i = 0; i < n; ++i) {
        // A clear before the table reaches 512 entries keeps every code 9 bits wide.
        if (i > 0 && i % 250 == 0)
            codes.push_back(Effacer);
        codes.push_back(indice);
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
        o.append("\x21\xF9\x04\x04", 4); // disposal: keep
        mot(o, images[i].delaiCentiemes);
        o.append(char(0));
        o.append(char(0));
        o.append(char(0x2C));
        mot(o, 0);
        mot(o, 0);
        mot(o, taille.width());
        mot(o, taille.height());
        o.append(char(0));
        o.append(char(8));
        o.append(images[i].donnees.isEmpty() ? lzwLitteral(taille.width() * taille.height(), i) : images[i].donnees);
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
