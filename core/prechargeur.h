#pragma once
// Keeps the pictures the full-screen view will want next decoded and fitted
// ahead of time, through the picture service, so that a slideshow step or a
// key only has to draw. Everything belongs to the current display settings
// (screen, fitting mode, background): when they change, what was made for the
// earlier ones is dropped and never shown. The cache is bounded in bytes, the
// bound following the screen so that the next pictures fit on any screen.
#include "core/imageprete.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <deque>
#include <functional>

class ServiceImages;

class Prechargeur : public QObject {
    Q_OBJECT
public:
    using Identites = std::function<IdentiteFichier(const QString& chemin)>;

    explicit Prechargeur(ServiceImages& service, qint64 plancher = 64 * 1024 * 1024, QObject* parent = nullptr);
    ~Prechargeur() override;

    // Where the identity of a picture comes from (the folder model): a picture
    // whose identity changed since it was made is made again, never shown old.
    void setIdentites(Identites identites) { identites_ = std::move(identites); }

    void setParametres(const ParametresAffichage& parametres);
    const ParametresAffichage& parametres() const { return parametres_; }
    quint64 generation() const { return generation_; }
    // Room for the next pictures: four screens' worth, the floor at least, and never
    // above Plafond, whatever the screen (an 8K screen's four would be half a gigabyte).
    static constexpr qint64 Plafond = 192 * 1024 * 1024;
    qint64 budget() const;
    // How many of the pictures wanted next fit in the budget, made or being made, beside
    // the one the view waits for while it is made: each counted as large as the largest
    // made for these settings, or a whole screen. The rest follow once it is made.
    int nombreEnAvance() const;

    // The pictures wanted next, most wanted first; only as many as fit in the budget are
    // made, and requests for others are cancelled.
    void precharger(const QStringList& chemins);

    // The picture to show now: true with it when it is ready; otherwise it is
    // asked before anything else and pret() tells when it is.
    bool obtenir(const QString& chemin, ImagePrete* image);

    bool estPret(const QString& chemin) const;
    bool occupe() const { return !tickets_.isEmpty(); }
    qint64 octetsEnCache() const { return octets_; }
    int nombreEnCache() const { return int(cache_.size()); }
    void vider();

signals:
    void pret(const QString& chemin);

private:
    void demander(const QString& chemin, int priorite);
    struct Faite {
        ImagePrete image;
        IdentiteFichier identite; // of the file it was made from
    };
    IdentiteFichier identite(const QString& chemin) const
    {
        return identites_ ? identites_(chemin) : IdentiteFichier{};
    }
    bool aJour(const Faite& f, const QString& chemin) const
    {
        return f.image.chemin == chemin && f.identite == identite(chemin);
    }
    void recu(const QString& chemin, const ImagePrete& image, quint64 generation, const IdentiteFichier& identite);
    void garder(const Faite& faite);
    void limiter();

    ServiceImages& service_;
    Identites identites_;
    qint64 plancher_;
    ParametresAffichage parametres_;
    quint64 generation_ = 1;
    QStringList souhaites_; // as the view asked
    QStringList voulus_;    // those of them that fit
    QString immediat_;      // the picture the view waits for
    QHash<QString, quint64> tickets_;
    std::deque<Faite> cache_; // least recently used first
    qint64 octets_ = 0;
    qint64 plusGrande_ = 0; // bytes of the largest picture made for these settings
};
