#include "sound/morceaumidi.h"

#include <algorithm>
#include <cstring>

namespace {
// The largest blocks of the store: large enough to be few, small enough to waste little.
constexpr size_t TailleBloc = 1 << 20;

void ecrireVlq(char*& p, quint64 v)
{
    char tampon[10];
    int n = 0;
    do {
        tampon[n++] = char(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n > 1)
        *p++ = char(tampon[--n] | 0x80);
    *p++ = tampon[0];
}

quint64 lireVlq(const char*& p)
{
    quint64 v = 0;
    quint8 o;
    do {
        o = quint8(*p++);
        v = (v << 7) | (o & 0x7F);
    } while (o & 0x80);
    return v;
}
} // namespace

qint64 dureeUsDe(qint64 trames, int frequence)
{
    if (trames <= 0 || frequence <= 0)
        return 0;
    return qint64(std::min<__int128>(__int128(trames) * 1'000'000 / frequence, DureeSonMaxUs));
}

bool MorceauMidi::ajouter(const EvenementMidi& e)
{
    const size_t taille = 10 + 1 + (e.statut == 0xF0 ? 5 + size_t(e.sysexLongueur) : 2);
    if (blocs_.empty() || blocs_.back().capacite - blocs_.back().taille < taille) {
        // Each block as large as the store so far, up to TailleBloc: a short song stays small.
        const size_t nouveau = std::max(taille, std::clamp(size_t(octets_), size_t(4096), TailleBloc));
        if (octets_ + qint64(nouveau) > OctetsMax)
            return false;
        // Left uninitialised: only what is written becomes resident.
        blocs_.push_back({std::unique_ptr<char[]>(new char[nouveau]), 0, nouveau});
        octets_ += qint64(nouveau);
    }
    Bloc& bloc = blocs_.back();
    char* p = bloc.octets.get() + bloc.taille;
    ecrireVlq(p, quint64(e.tempsUs - dernierUs_));
    *p++ = char(e.statut);
    if (e.statut == 0xF0) {
        ecrireVlq(p, e.sysexLongueur);
        std::memcpy(p, e.sysex, e.sysexLongueur);
        p += e.sysexLongueur;
    } else {
        *p++ = char(e.donnee1);
        *p++ = char(e.donnee2);
    }
    bloc.taille = size_t(p - bloc.octets.get());
    dernierUs_ = e.tempsUs;
    ++nombre_;
    return true;
}

std::vector<EvenementMidi> MorceauMidi::evenements() const
{
    std::vector<EvenementMidi> tous;
    for (CurseurMidi c(*this); c.courant(); c.avancer())
        tous.push_back(*c.courant());
    return tous;
}

CurseurMidi::CurseurMidi(const MorceauMidi& morceau) : morceau_(morceau)
{
    avancer();
}

void CurseurMidi::avancer()
{
    while (bloc_ < morceau_.blocs_.size() && pos_ >= morceau_.blocs_[bloc_].taille) {
        ++bloc_;
        pos_ = 0;
    }
    if (bloc_ >= morceau_.blocs_.size()) {
        fini_ = true;
        return;
    }
    const char* debut = morceau_.blocs_[bloc_].octets.get();
    const char* p = debut + pos_;
    const qint64 temps = courant_.tempsUs + qint64(lireVlq(p));
    courant_ = EvenementMidi();
    courant_.tempsUs = temps;
    courant_.statut = quint8(*p++);
    if (courant_.statut == 0xF0) {
        courant_.sysexLongueur = quint32(lireVlq(p));
        courant_.sysex = p;
        p += courant_.sysexLongueur;
    } else {
        courant_.donnee1 = quint8(*p++);
        courant_.donnee2 = quint8(*p++);
    }
    pos_ = size_t(p - debut);
}

OrdonnanceurMidi::OrdonnanceurMidi(std::shared_ptr<const MorceauMidi> morceau, int frequence)
    : morceau_(std::move(morceau)), frequence_(frequence), total_(trameDe(morceau_->dureeUs))
{
    rembobiner();
}

void OrdonnanceurMidi::rembobiner()
{
    position_ = 0;
    curseur_ = std::make_unique<CurseurMidi>(*morceau_);
}

qint64 OrdonnanceurMidi::avancer(qint64 n, const Envoi& envoyer, const Rendu& rendre)
{
    qint64 fait = 0;
    int envoyes = 0;
    while (fait < n && position_ < total_) {
        const EvenementMidi* e = curseur_->courant();
        while (e && envoyes < LotMax && trameDe(e->tempsUs) <= position_) {
            envoyer(*e);
            ++envoyes;
            curseur_->avancer();
            e = curseur_->courant();
        }
        // Past the batch, the events due wait for the next call.
        qint64 jusqua = total_;
        if (e && envoyes < LotMax)
            jusqua = qMin(jusqua, trameDe(e->tempsUs));
        const int k = int(std::min<qint64>({n - fait, jusqua - position_, 1 << 20}));
        rendre(fait, k);
        fait += k;
        position_ += k;
    }
    return fait;
}
