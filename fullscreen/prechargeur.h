#pragma once
// Keeps the pictures that will be wanted next decoded and fitted ahead of
// time, on two workers, so that a slideshow step or a key only has to draw.
// Results belong to a generation: when the screen, the fitting mode or the
// background changes, earlier results are stale and dropped on arrival.
// The cache is bounded in bytes.

#include "fullscreen/imageprete.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <memory>

class Prechargeur : public QObject {
    Q_OBJECT
public:
    using Preparateur = std::function<ImagePrete(const QString&, const ParametresAffichage&)>;

    explicit Prechargeur(Preparateur preparateur = preparerImage,
                         qint64 budgetOctets = 64 * 1024 * 1024, QObject* parent = nullptr);
    ~Prechargeur() override;

    void setParametres(const ParametresAffichage& parametres);
    const ParametresAffichage& parametres() const { return m_parametres; }
    quint64 generation() const { return m_generation; }

    // The pictures wanted next, most wanted first; queued work for others is
    // dropped. Two at most are decoded at once.
    void precharger(const QStringList& chemins);

    // The picture, ready: from the cache at once, by waiting for its worker
    // when it is being decoded, or decoded now otherwise.
    ImagePrete obtenir(const QString& chemin);

    bool estPret(const QString& chemin) const;
    // Work queued or running.
    bool occupe() const { return !m_attente.empty() || !m_enVol.isEmpty(); }
    qint64 octetsEnCache() const { return m_octets; }
    int nombreEnCache() const { return int(m_cache.size()); }
    void vider();

signals:
    void pret(const QString& chemin);

private:
    struct Tache;
    void lancer();
    void terminee(const std::shared_ptr<Tache>& tache);
    void garder(const ImagePrete& image);
    void limiter(const QString& protege);

    Preparateur m_preparateur;
    qint64 m_budget;
    ParametresAffichage m_parametres;
    quint64 m_generation = 1;
    QThreadPool m_pool;
    QStringList m_voulus;
    std::deque<QString> m_attente;
    QHash<QString, std::shared_ptr<Tache>> m_enVol;
    std::deque<ImagePrete> m_cache; // least recently used first
    qint64 m_octets = 0;
};
