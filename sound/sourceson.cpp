#include "sound/sourceson.h"

#include <QFile>

#include <sndfile.h>

namespace {
class SourceSndfile : public SourceSon {
public:
    SourceSndfile(SNDFILE* sf, const SF_INFO& info) : sf_(sf), info_(info) {}
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
    SNDFILE* sf_;
    SF_INFO info_;
};
} // namespace

std::unique_ptr<SourceSon> ouvrirSourceEchantillons(const QString& chemin, QString* erreur)
{
    SF_INFO info{};
    SNDFILE* sf = sf_open(QFile::encodeName(chemin).constData(), SFM_READ, &info);
    if (!sf) {
        if (erreur)
            *erreur = QString::fromUtf8(sf_strerror(nullptr));
        return nullptr;
    }
    if (info.samplerate <= 0 || info.channels <= 0) {
        sf_close(sf);
        if (erreur)
            *erreur = QStringLiteral("format de son non pris en charge");
        return nullptr;
    }
    // Integer files are scaled to [-1, 1], as a sound card would play them.
    sf_command(sf, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    return std::make_unique<SourceSndfile>(sf, info);
}
