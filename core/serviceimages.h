#pragma once
// The one way pictures are decoded: every view asks here, nothing decodes on
// the interface thread. Requests wait in order of priority (then of arrival)
// for one of a few workers; a request that is no longer wanted is cancelled
// before it starts, and a result whose every asker has gone is not delivered.
// The same request asked twice is decoded once, and the last few results are
// kept by the identity of the file decoded (never by name alone, and without a
// stat here: requests carry what the folder model measured), so a picture asked for
// again (or decoded ahead, as the one named on the command line is before the window
// exists) comes at once.
#include "core/imageprete.h"

#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class ServiceImages : public QObject {
    Q_OBJECT
public:
    using Decodeur = std::function<ImagePrete(const DemandeImage&)>;
    using Rappel = std::function<void(const ImagePrete&)>;

    // Priorities, highest first.
    enum Priorite { Anticipation = 0, Miniature = 1, Affichage = 2 };

    explicit ServiceImages(
        Decodeur decodeur = [](const DemandeImage& d) { return preparerImage(d); }, int travailleurs = 2,
        QObject* parent = nullptr);
    ~ServiceImages() override;

    // Queues `demande`; `rappel` runs later on this object's thread with the
    // result, never from inside this call. Returns a ticket for annuler().
    quint64 demander(const DemandeImage& demande, int priorite, Rappel rappel);
    void annuler(quint64 ticket);
    // Work that is not one picture, such as the next frame of an animation read by a
    // reader that keeps its place: it waits its turn with the pictures and runs on the
    // same workers. `fini` runs later on this object's thread, unless cancelled
    // (annuler) first; a cancelled job that has started still runs to its end.
    quint64 executer(int priorite, std::function<void()> travail, std::function<void()> fini);

    // Takes a kept result without decoding; false when there is none for the file
    // `demande.identite` names.
    bool resultatGarde(const DemandeImage& demande, ImagePrete* image) const;
    // Forgets what is kept for a file (it was changed, renamed or deleted).
    void oublier(const QString& chemin);

    // Bytes of results kept for requests asked again; 0 keeps none.
    void setBudgetResultats(qint64 octets);

    int enAttente() const { return int(attente_.size()); }
    int enCours() const { return enCours_; }

private:
    struct Tache;
    struct Garde;
    struct Lien;
    void lancer();
    void terminee(const std::shared_ptr<Tache>& tache, const ImagePrete& image);
    void garder(const std::shared_ptr<Tache>& tache, const ImagePrete& image, const IdentiteFichier& mesuree);

    Decodeur decodeur_;
    int travailleurs_;
    std::shared_ptr<Lien> lien_; // shared with the decodes that run
    quint64 prochainTicket_ = 1;
    int enCours_ = 0;
    std::vector<std::shared_ptr<Tache>> attente_;
    std::vector<std::shared_ptr<Tache>> actives_;
    std::deque<Garde> gardes_; // least recently used first
    qint64 octetsGardes_ = 0;
    qint64 budgetResultats_ = 48 * 1024 * 1024;
};
