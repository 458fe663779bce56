#include "sound/sourceson.h"

#include <QBuffer>
#include <QFile>

#include <sndfile.h>

namespace {
constexpr int CanauxMax = 8;

// libsndfile reads through a QIODevice, so that a file and bytes held in memory (the
// program's own cues) are opened the one same way.
sf_count_t longueur(void* appareil)
{
    return static_cast<QIODevice*>(appareil)->size();
}

sf_count_t deplacer(sf_count_t decalage, int origine, void* appareil)
{
    auto* a = static_cast<QIODevice*>(appareil);
    const qint64 depart = origine == SEEK_CUR ? a->pos() : origine == SEEK_END ? a->size() : 0;
    // A chunk that claims more than the file holds sends the reader past the end: it
    // stops there, where a buffer would refuse to go.
    const qint64 cible = qBound<qint64>(0, depart + decalage, a->size());
    return a->seek(cible) ? cible : -1;
}

sf_count_t lireOctets(void* destination, sf_count_t n, void* appareil)
{
    return qMax<qint64>(0, static_cast<QIODevice*>(appareil)->read(static_cast<char*>(destination), n));
}

sf_count_t position(void* appareil)
{
    return static_cast<QIODevice*>(appareil)->pos();
}

class SourceSndfile : public SourceSon {
public:
    SourceSndfile(std::unique_ptr<QIODevice> appareil, SNDFILE* sf, const SF_INFO& info)
        : appareil_(std::move(appareil)), sf_(sf), info_(info)
    {
    }
    ~SourceSndfile() override { sf_close(sf_); }

    int frequence() const override { return info_.samplerate; }
    int canaux() const override { return info_.channels; }
    qint64 trames() const override { return info_.frames; }
    qint64 lire(float* sortie, qint64 n) override
    {
        // A read error past this point is the end of the sound, not a crash.
        const sf_count_t lu = sf_readf_float(sf_, sortie, n);
        return lu > 0 ? lu : 0;
    }
    void rembobiner() override { sf_seek(sf_, 0, SEEK_SET); }

private:
    std::unique_ptr<QIODevice> appareil_; // read by sf_ until it is closed
    SNDFILE* sf_;
    SF_INFO info_;
};

std::unique_ptr<SourceSon> ouvrirSur(std::unique_ptr<QIODevice> appareil, QString* erreur)
{
    const auto echec = [erreur](const QString& raison) -> std::unique_ptr<SourceSon> {
        if (erreur)
            *erreur = raison;
        return nullptr;
    };
    if (!appareil->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return echec(QStringLiteral("fichier illisible"));
    SF_VIRTUAL_IO entrees{&longueur, &deplacer, &lireOctets, nullptr, &position};
    SF_INFO info{};
    SNDFILE* sf = sf_open_virtual(&entrees, SFM_READ, &info, appareil.get());
    if (!sf)
        return echec(QString::fromUtf8(sf_strerror(nullptr)));
    if (info.samplerate <= 0 || info.channels <= 0 || info.channels > CanauxMax || info.frames < 0) {
        sf_close(sf);
        return echec(QStringLiteral("format de son non pris en charge"));
    }
    // Integer files are scaled to [-1, 1], as a sound card would play them.
    sf_command(sf, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    return std::make_unique<SourceSndfile>(std::move(appareil), sf, info);
}
} // namespace

std::unique_ptr<SourceSon> ouvrirSourceEchantillons(const QString& chemin, QString* erreur)
{
    return ouvrirSur(std::make_unique<QFile>(chemin), erreur);
}

std::unique_ptr<SourceSon> ouvrirSourceEchantillons(const QByteArray& contenu, QString* erreur)
{
    auto tampon = std::make_unique<QBuffer>();
    tampon->setData(contenu);
    return ouvrirSur(std::move(tampon), erreur);
}
