#pragma once
// The slideshow's order as a plain object: it only says which position of the
// folder's list comes next; the viewer does the showing.

#include <functional>
#include <optional>

class SequenceDiaporama {
public:
    // Uniform draw in [0, 1); the default one is seeded from the clock.
    using SourceAleatoire = std::function<double()>;

    explicit SequenceDiaporama(SourceAleatoire source = {});

    // N pictures in the list; forgets any draw made ahead.
    void setNombre(int n);
    int nombre() const { return m_nombre; }

    // IndexImage: the slideshow position.
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    void setAleatoire(bool aleatoire);
    bool aleatoire() const { return m_aleatoire; }

    // What the next timer step will choose, without taking it. In random
    // order the draw is made now and kept for that step, so that its picture
    // can be prepared ahead. Empty when the list is empty.
    std::optional<int> prochaineEtape();
    // The step after the next one in sequential order (nothing in random
    // order, where it is not known yet).
    std::optional<int> etapeSuivante() const;

    // Timer step: moves IndexImage and returns it; empty for an empty list.
    std::optional<int> etape();

private:
    int tirer();
    int m_nombre = 0;
    int m_index = 0;
    bool m_aleatoire = false;
    std::optional<int> m_tirage;
    SourceAleatoire m_source;
};

// Key navigation in the list (the selection's own moves); `courant` −1 means
// no selection. Returns the new position or −1 for an empty list.
namespace navigation {
int suivant(int courant, int nombre);                  // Right, Down: wraps to the first
int precedent(int courant, int nombre);                // Left, Up: wraps to the last
int premier(int nombre);                               // Home
int dernier(int nombre);                               // End
int pageSuivante(int courant, int nombre, int page);   // Page Down, stops at the end
int pagePrecedente(int courant, int nombre, int page); // Page Up, stops at the start
} // namespace navigation
