#include "core/serviceimages.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct ServiceImages::Tache {
    DemandeImage demande;
    int priorite = 0;
    quint64 ordre = 0;
    std::vector<std::pair<quint64, Rappel>> abonnes;
    std::function<void()> travail; // set for executer's jobs: neither joined nor kept
    // Set once nobody waits for it: the decode stops early and its result is dropped.
    std::shared_ptr<std::atomic<bool>> annulee = std::make_shared<std::atomic<bool>>(false);
};

struct ServiceImages::Garde {
    DemandeImage demande;
    IdentiteFichier mesuree; // what the file was when it was decoded
    ImagePrete image;
};

// The service and its running decodes meet here: a decode posts its result only
// while the service lives.
struct ServiceImages::Lien {
    std::mutex verrou;
    std::condition_variable fini;
    ServiceImages* service = nullptr;
    int enCours = 0;
};

ServiceImages::ServiceImages(Decodeur decodeur, int travailleurs, QObject* parent)
    : QObject(parent),
      decodeur_(std::move(decodeur)),
      travailleurs_(std::max(1, travailleurs)),
      lien_(std::make_shared<Lien>())
{
    lien_->service = this;
}

ServiceImages::~ServiceImages()
{
    attente_.clear();
    for (const auto& t : actives_)
        t->annulee->store(true);
    // Told to stop, decodes end at their next read; one that hangs (a file on a
    // mount that no longer answers) is left behind rather than waited for.
    std::unique_lock<std::mutex> verrou(lien_->verrou);
    lien_->fini.wait_for(verrou, std::chrono::milliseconds(250), [this] { return lien_->enCours == 0; });
    lien_->service = nullptr;
}

quint64 ServiceImages::demander(const DemandeImage& demande, int priorite, Rappel rappel)
{
    const quint64 ticket = prochainTicket_++;
    ImagePrete garde;
    if (resultatGarde(demande, &garde)) {
        // Still delivered later, as a decode would be: callers need not care which.
        auto tache = std::make_shared<Tache>();
        tache->demande = demande;
        tache->abonnes.emplace_back(ticket, std::move(rappel));
        actives_.push_back(tache);
        QMetaObject::invokeMethod(
            this, [this, tache, garde] { terminee(tache, garde); }, Qt::QueuedConnection);
        return ticket;
    }
    auto meme = [&](const std::shared_ptr<Tache>& t) { return !t->travail && t->demande == demande; };
    auto it = std::find_if(attente_.begin(), attente_.end(), meme);
    if (it == attente_.end()) {
        it = std::find_if(actives_.begin(), actives_.end(),
                          [&](const std::shared_ptr<Tache>& t) { return meme(t) && !*t->annulee; });
        if (it != actives_.end()) { // its result is on its way
            (*it)->abonnes.emplace_back(ticket, std::move(rappel));
            return ticket;
        }
        auto tache = std::make_shared<Tache>();
        tache->demande = demande;
        tache->priorite = priorite;
        tache->ordre = ticket;
        attente_.push_back(tache);
        it = attente_.end() - 1;
    }
    (*it)->priorite = std::max((*it)->priorite, priorite);
    (*it)->abonnes.emplace_back(ticket, std::move(rappel));
    lancer();
    return ticket;
}

quint64 ServiceImages::executer(int priorite, std::function<void()> travail, std::function<void()> fini)
{
    const quint64 ticket = prochainTicket_++;
    auto tache = std::make_shared<Tache>();
    tache->travail = std::move(travail);
    tache->priorite = priorite;
    tache->ordre = ticket;
    tache->abonnes.emplace_back(ticket, [fini = std::move(fini)](const ImagePrete&) {
        if (fini)
            fini();
    });
    attente_.push_back(tache);
    lancer();
    return ticket;
}

void ServiceImages::annuler(quint64 ticket)
{
    auto retirer = [ticket](const std::shared_ptr<Tache>& t) {
        auto& a = t->abonnes;
        a.erase(std::remove_if(a.begin(), a.end(), [ticket](const auto& p) { return p.first == ticket; }), a.end());
    };
    for (const auto& t : actives_) {
        retirer(t);
        if (t->abonnes.empty())
            t->annulee->store(true);
    }
    for (const auto& t : attente_)
        retirer(t);
    attente_.erase(std::remove_if(attente_.begin(), attente_.end(), [](const auto& t) { return t->abonnes.empty(); }),
                   attente_.end());
}

void ServiceImages::lancer()
{
    while (enCours_ < travailleurs_ && !attente_.empty()) {
        const auto suivante = std::min_element(attente_.begin(), attente_.end(), [](const auto& a, const auto& b) {
            return a->priorite != b->priorite ? a->priorite > b->priorite : a->ordre < b->ordre;
        });
        std::shared_ptr<Tache> tache = *suivante;
        attente_.erase(suivante);
        actives_.push_back(tache);
        ++enCours_;
        DemandeImage demande = tache->demande;
        demande.annulation = tache->annulee;
        {
            std::lock_guard<std::mutex> verrou(lien_->verrou);
            ++lien_->enCours;
        }
        std::thread([lien = lien_, decodeur = decodeur_, tache, demande] {
            ImagePrete image;
            // Measured here, on the worker: the file as this decode reads it.
            IdentiteFichier mesuree;
            if (tache->travail) {
                tache->travail();
            } else {
                mesuree = identiteFichier(demande.chemin);
                image = decodeur(demande);
            }
            std::lock_guard<std::mutex> verrou(lien->verrou);
            --lien->enCours;
            lien->fini.notify_all();
            if (ServiceImages* s = lien->service)
                QMetaObject::invokeMethod(
                    s,
                    [s, tache, image, mesuree] {
                        --s->enCours_;
                        if (!*tache->annulee && !tache->travail)
                            s->garder(tache, image, mesuree);
                        s->terminee(tache, image);
                        s->lancer();
                    },
                    Qt::QueuedConnection);
        }).detach();
    }
}

void ServiceImages::terminee(const std::shared_ptr<Tache>& tache, const ImagePrete& image)
{
    actives_.erase(std::remove(actives_.begin(), actives_.end(), tache), actives_.end());
    // A callback may ask or cancel in turn: work on a copy.
    const auto abonnes = std::move(tache->abonnes);
    tache->abonnes.clear();
    for (const auto& [ticket, rappel] : abonnes)
        if (rappel)
            rappel(image);
}

void ServiceImages::garder(const std::shared_ptr<Tache>& tache, const ImagePrete& image, const IdentiteFichier& mesuree)
{
    if (image.octets() > budgetResultats_)
        return;
    gardes_.push_back(Garde{tache->demande, mesuree, image});
    octetsGardes_ += image.octets();
    // Bounded in count too: unreadable files keep no pixels but still take a place.
    while (octetsGardes_ > budgetResultats_ || gardes_.size() > 32) {
        octetsGardes_ -= gardes_.front().image.octets();
        gardes_.pop_front();
    }
}

bool ServiceImages::resultatGarde(const DemandeImage& demande, ImagePrete* image) const
{
    // Served by what the file was when decoded, whatever the request that decoded it
    // knew: the picture named on the command line, asked before any listing, is
    // then served to the listing's request.
    for (auto it = gardes_.rbegin(); it != gardes_.rend(); ++it) {
        DemandeImage meme = it->demande;
        meme.identite = demande.identite;
        if (meme == demande && it->mesuree == demande.identite) {
            *image = it->image;
            return true;
        }
    }
    return false;
}

void ServiceImages::oublier(const QString& chemin)
{
    for (auto it = gardes_.begin(); it != gardes_.end();) {
        if (it->demande.chemin == chemin) {
            octetsGardes_ -= it->image.octets();
            it = gardes_.erase(it);
        } else {
            ++it;
        }
    }
}

void ServiceImages::setBudgetResultats(qint64 octets)
{
    budgetResultats_ = std::max<qint64>(0, octets);
    while (octetsGardes_ > budgetResultats_ && !gardes_.empty()) {
        octetsGardes_ -= gardes_.front().image.octets();
        gardes_.pop_front();
    }
}
