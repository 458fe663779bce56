#pragma once
// What the player's output pulls sound from: interleaved float frames at a fixed rate,
// until the end of the sound. Decoders live behind it; QtCore only.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

class SourceSon {
public:
    virtual ~SourceSon() = default;
    virtual int frequence() const = 0;
    virtual int canaux() const = 0;
    // Frames the whole sound lasts.
    virtual qint64 trames() const = 0;
    // Writes up to `n` frames into `sortie` (n × canaux() floats); fewer only at the end,
    // 0 once the end is reached.
    virtual qint64 lire(float* sortie, qint64 n) = 0;
    // Back to the first frame.
    virtual void rembobiner() = 0;
};

// A sampled sound read by libsndfile from a file, or from bytes held in memory; null with
// `erreur` set when it cannot be read, has no rate, or no channel or more than eight.
std::unique_ptr<SourceSon> ouvrirSourceEchantillons(const QString& chemin, QString* erreur = nullptr);
std::unique_ptr<SourceSon> ouvrirSourceEchantillons(const QByteArray& contenu, QString* erreur = nullptr);
