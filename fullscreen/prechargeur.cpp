#include "fullscreen/prechargeur.h"

#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>
#include <algorithm>

struct Prechargeur::Tache {
    QString chemin;
    quint64 generation = 0;
    QMutex verrou;
    QWaitCondition finie;
    bool fini = false;
    ImagePrete resultat;
};

namespace {
constexpr int Travailleurs = 2;
}

Prechargeur::Prechargeur(Preparateur preparateur, qint64 budgetOctets, QObject* parent)
    : QObject(parent), m_preparateur(std::move(preparateur)), m_budget(budgetOctets)
{
    m_pool.setMaxThreadCount(Travailleurs);
}

Prechargeur::~Prechargeur()
{
    m_attente.clear();
    m_pool.waitForDone();
}

void Prechargeur::setParametres(const ParametresAffichage& parametres)
{
    if (parametres == m_parametres)
        return;
    m_parametres = parametres;
    vider();
}

void Prechargeur::vider()
{
    ++m_generation;
    m_attente.clear();
    m_cache.clear();
    m_octets = 0;
}

bool Prechargeur::estPret(const QString& chemin) const
{
    return std::any_of(m_cache.begin(), m_cache.end(),
                       [&](const ImagePrete& i) { return i.chemin == chemin; });
}

void Prechargeur::precharger(const QStringList& chemins)
{
    m_voulus = chemins;
    m_attente.clear();
    for (const QString& chemin : chemins) {
        const auto vol = m_enVol.constFind(chemin);
        const bool enRoute = vol != m_enVol.constEnd() && (*vol)->generation == m_generation;
        if (!enRoute && !estPret(chemin)
            && std::find(m_attente.begin(), m_attente.end(), chemin) == m_attente.end())
            m_attente.push_back(chemin);
    }
    lancer();
}

void Prechargeur::lancer()
{
    while (!m_attente.empty() && m_enVol.size() < Travailleurs) {
        auto tache = std::make_shared<Tache>();
        tache->chemin = m_attente.front();
        tache->generation = m_generation;
        m_attente.pop_front();
        m_enVol.insert(tache->chemin, tache);
        const ParametresAffichage parametres = m_parametres;
        m_pool.start([this, tache, parametres] {
            ImagePrete resultat = m_preparateur(tache->chemin, parametres);
            {
                QMutexLocker verrou(&tache->verrou);
                tache->resultat = std::move(resultat);
                tache->fini = true;
                tache->finie.wakeAll();
            }
            QMetaObject::invokeMethod(this, [this, tache] { terminee(tache); }, Qt::QueuedConnection);
        });
    }
}

void Prechargeur::terminee(const std::shared_ptr<Tache>& tache)
{
    const auto vol = m_enVol.find(tache->chemin);
    if (vol != m_enVol.end() && *vol == tache)
        m_enVol.erase(vol);
    // A result for an older screen or fitting, or one already taken by
    // obtenir(), is dropped.
    if (tache->generation == m_generation && !estPret(tache->chemin)
        && m_voulus.contains(tache->chemin)) {
        tache->resultat.generation = tache->generation;
        garder(tache->resultat);
        emit pret(tache->chemin);
    }
    lancer();
}

ImagePrete Prechargeur::obtenir(const QString& chemin)
{
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
        if (it->chemin == chemin) {
            ImagePrete image = *it;
            m_cache.erase(it);
            m_cache.push_back(image); // most recently used now
            return image;
        }
    }
    m_attente.erase(std::remove(m_attente.begin(), m_attente.end(), chemin), m_attente.end());
    ImagePrete image;
    const auto vol = m_enVol.constFind(chemin);
    if (vol != m_enVol.constEnd() && (*vol)->generation == m_generation) {
        const std::shared_ptr<Tache> tache = *vol;
        QMutexLocker verrou(&tache->verrou);
        while (!tache->fini)
            tache->finie.wait(&tache->verrou);
        image = tache->resultat;
    } else {
        image = m_preparateur(chemin, m_parametres);
    }
    image.chemin = chemin;
    image.generation = m_generation;
    garder(image);
    return image;
}

void Prechargeur::garder(const ImagePrete& image)
{
    m_cache.push_back(image);
    m_octets += image.octets();
    limiter(image.chemin);
}

void Prechargeur::limiter(const QString& protege)
{
    // Pictures no longer wanted go first, then the oldest; the one just
    // stored always stays.
    auto retirer = [this](std::deque<ImagePrete>::iterator it) {
        m_octets -= it->octets();
        return m_cache.erase(it);
    };
    for (auto it = m_cache.begin(); m_octets > m_budget && it != m_cache.end();) {
        it = it->chemin != protege && !m_voulus.contains(it->chemin) ? retirer(it) : it + 1;
    }
    for (auto it = m_cache.begin(); m_octets > m_budget && it != m_cache.end();) {
        it = it->chemin != protege ? retirer(it) : it + 1;
    }
}
