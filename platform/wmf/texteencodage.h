#pragma once
// Text bytes of a metafile to Unicode, by the font's character set.
#include <QByteArray>
#include <QString>
#include <QVector>

namespace wmf {

struct TexteDecode {
    QString texte;
    QVector<int> octetsParCar; // how many source bytes each character of `texte` came from
};

TexteDecode decoderTexte(const QByteArray& octets, int jeu, const QString& police);

} // namespace wmf
