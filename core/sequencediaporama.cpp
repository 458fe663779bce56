#include "core/sequencediaporama.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

SequenceDiaporama::SequenceDiaporama(SourceAleatoire source) : m_source(std::move(source))
{
    if (!m_source) {
        // Seeded once from the system; drawing from it again at each step
        // gives the fresh, clock-like draw the order asks for.
        m_source = [] { return QRandomGenerator::global()->generateDouble(); };
    }
}

void SequenceDiaporama::setNombre(int n)
{
    m_nombre = std::max(0, n);
    m_tirage.reset();
}

void SequenceDiaporama::setAleatoire(bool aleatoire)
{
    if (aleatoire != m_aleatoire)
        m_tirage.reset();
    m_aleatoire = aleatoire;
}

int SequenceDiaporama::tirer()
{
    const double r = m_source();
    // A source that misbehaves must still give a position inside the list.
    int position = std::isfinite(r) ? static_cast<int>(std::floor(m_nombre * r)) : 0;
    return std::clamp(position, 0, m_nombre - 1);
}

std::optional<int> SequenceDiaporama::prochaineEtape()
{
    if (m_nombre <= 0)
        return std::nullopt;
    if (m_aleatoire) {
        if (!m_tirage)
            m_tirage = tirer();
        return m_tirage;
    }
    const int suivant = m_index + 1;
    return suivant >= m_nombre || suivant < 0 ? 0 : suivant;
}

std::optional<int> SequenceDiaporama::etapeSuivante() const
{
    if (m_nombre <= 0 || m_aleatoire)
        return std::nullopt;
    int position = m_index + 1;
    if (position >= m_nombre || position < 0)
        position = 0;
    return position + 1 >= m_nombre ? 0 : position + 1;
}

std::optional<int> SequenceDiaporama::etape()
{
    const std::optional<int> position = prochaineEtape();
    m_tirage.reset();
    if (position)
        m_index = *position;
    return position;
}

namespace navigation {

int suivant(int courant, int nombre)
{
    if (nombre <= 0)
        return -1;
    return courant < 0 || courant >= nombre - 1 ? 0 : courant + 1;
}

int precedent(int courant, int nombre)
{
    if (nombre <= 0)
        return -1;
    return courant <= 0 || courant >= nombre ? nombre - 1 : courant - 1;
}

int premier(int nombre)
{
    return nombre > 0 ? 0 : -1;
}

int dernier(int nombre)
{
    return nombre - 1;
}

int pageSuivante(int courant, int nombre, int page)
{
    if (nombre <= 0)
        return -1;
    return std::clamp(std::max(courant, 0) + std::max(page, 1), 0, nombre - 1);
}

int pagePrecedente(int courant, int nombre, int page)
{
    if (nombre <= 0)
        return -1;
    return std::clamp(courant - std::max(page, 1), 0, nombre - 1);
}

} // namespace navigation
