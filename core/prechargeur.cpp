#include "core/prechargeur.h"

#include "core/serviceimages.h"

#include <algorithm>

Prechargeur::Prechargeur(ServiceImages& service, qint64 plancher, QObject* parent)
    : QObject(parent), service_(service), plancher_(plancher)
{
}

Prechargeur::~Prechargeur()
{
    for (quint64 ticket : std::as_const(tickets_))
        service_.annuler(ticket);
}

namespace {

qint64 octetsEcran(const ParametresAffichage& p)
{
    const qreal r = p.ratioPixels > 0 ? p.ratioPixels : 1;
    return qint64(p.ecran.width() * r) * qint64(p.ecran.height() * r) * 4;
}

} // namespace

qint64 Prechargeur::budget() const
{
    return std::max<qint64>(plancher_, std::min<qint64>(4 * octetsEcran(parametres_), Plafond));
}

int Prechargeur::nombreEnAvance() const
{
    const qint64 une = std::max<qint64>({1, plusGrande_, octetsEcran(parametres_)});
    // The picture the view waits for is being made too: its room comes first.
    const qint64 place = budget() - (tickets_.contains(immediat_) ? une : 0);
    return int(std::clamp<qint64>(place / une, 0, 1 << 20));
}

void Prechargeur::setParametres(const ParametresAffichage& parametres)
{
    if (parametres == parametres_)
        return;
    parametres_ = parametres;
    vider();
}

void Prechargeur::vider()
{
    ++generation_;
    for (quint64 ticket : std::as_const(tickets_))
        service_.annuler(ticket);
    tickets_.clear();
    cache_.clear();
    octets_ = 0;
    plusGrande_ = 0;
    immediat_.clear();
}

bool Prechargeur::estPret(const QString& chemin) const
{
    return std::any_of(cache_.begin(), cache_.end(), [&](const Faite& f) { return aJour(f, chemin); });
}

void Prechargeur::demander(const QString& chemin, int priorite)
{
    const quint64 generation = generation_;
    DemandeImage demande = demandeEcran(chemin, parametres_);
    demande.identite = identite(chemin);
    tickets_.insert(chemin,
                    service_.demander(demande, priorite, [this, chemin, generation, demande](const ImagePrete& i) {
                        recu(chemin, i, generation, demande.identite);
                    }));
}

void Prechargeur::precharger(const QStringList& chemins)
{
    souhaites_ = chemins;
    voulus_ = chemins.mid(0, nombreEnAvance());
    for (auto it = tickets_.begin(); it != tickets_.end();) {
        if (it.key() != immediat_ && !voulus_.contains(it.key())) {
            service_.annuler(it.value());
            it = tickets_.erase(it);
        } else {
            ++it;
        }
    }
    for (const QString& chemin : std::as_const(voulus_))
        if (!tickets_.contains(chemin) && !estPret(chemin))
            demander(chemin, ServiceImages::Anticipation);
    limiter();
}

bool Prechargeur::obtenir(const QString& chemin, ImagePrete* image)
{
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (aJour(*it, chemin)) {
            const Faite faite = *it;
            *image = faite.image;
            cache_.erase(it);
            cache_.push_back(faite); // most recently used now
            return true;
        }
    }
    immediat_ = chemin;
    // Asked again at the top before the prefetch's own request goes: a queued
    // prefetch is overtaken, a running one joined rather than stopped.
    const quint64 ancien = tickets_.value(chemin, 0);
    demander(chemin, ServiceImages::Affichage);
    service_.annuler(ancien);
    return false;
}

void Prechargeur::recu(const QString& chemin, const ImagePrete& image, quint64 generation,
                       const IdentiteFichier& identite)
{
    if (generation != generation_)
        return; // made for earlier display settings
    tickets_.remove(chemin);
    plusGrande_ = std::max(plusGrande_, image.octets());
    if (chemin != immediat_ && !voulus_.contains(chemin))
        return;
    ImagePrete gardee = image;
    gardee.chemin = chemin;
    gardee.generation = generation;
    // What was made for the file as it was before is no use any more.
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (it->image.chemin != chemin) {
            ++it;
            continue;
        }
        octets_ -= it->image.octets();
        it = cache_.erase(it);
    }
    garder(Faite{gardee, identite});
    // Its room is free for the next ones now.
    if (chemin == immediat_ && souhaites_.size() > voulus_.size())
        precharger(souhaites_);
    emit pret(chemin);
}

void Prechargeur::garder(const Faite& faite)
{
    cache_.push_back(faite);
    octets_ += faite.image.octets();
    limiter();
}

void Prechargeur::limiter()
{
    // Pictures no longer wanted go first, then the oldest; the newest always
    // stays, so the picture the view waits for is there when it is told.
    const qint64 plafond = budget();
    auto retirer = [this](std::deque<Faite>::iterator it) {
        octets_ -= it->image.octets();
        return cache_.erase(it);
    };
    auto protege = [this](const Faite& f) { return &f == &cache_.back(); };
    for (auto it = cache_.begin(); octets_ > plafond && it != cache_.end();)
        it = !protege(*it) && !voulus_.contains(it->image.chemin) ? retirer(it) : it + 1;
    for (auto it = cache_.begin(); octets_ > plafond && it != cache_.end();)
        it = !protege(*it) ? retirer(it) : it + 1;
}
