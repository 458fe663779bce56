#include "core/pagesminiatures.h"

#include <QtGlobal>
#include <cstdlib>

void PagesMiniatures::setListe(const QStringList& chemins)
{
    liste_ = chemins;
    if (!liste_.isEmpty())
        position_ = 1;
}

void PagesMiniatures::actualiserListe(const QStringList& chemins)
{
    liste_ = chemins;
    if (!liste_.isEmpty())
        position_ = borner(position_);
}

qint64 PagesMiniatures::borner(qint64 position) const
{
    return qBound<qint64>(1, position, qMax<qint64>(1, NbMiniatures()));
}

void PagesMiniatures::pagePrecedente()
{
    position_ = borner(position_ - NbCellules);
}

void PagesMiniatures::pageSuivante()
{
    position_ = borner(position_ + NbCellules);
}

void PagesMiniatures::debut()
{
    position_ = 1;
}

void PagesMiniatures::fin()
{
    position_ = borner(NbMiniatures());
}

void PagesMiniatures::clicCellule(int cellule)
{
    position_ = borner(position_ + cellule - Milieu);
}

int PagesMiniatures::molette(int huitiemes)
{
    constexpr int cran = 120;
    rouletteCumul_ += huitiemes;
    int pages = 0;
    while (std::abs(rouletteCumul_) >= cran) {
        const int sens = rouletteCumul_ < 0 ? 1 : -1;
        rouletteCumul_ += sens * cran;
        pages += sens;
    }
    position_ = borner(position_ + qint64(pages) * NbCellules);
    return pages;
}

qint64 PagesMiniatures::indexCellule(int cellule, qint64 position) const
{
    const qint64 k = position + cellule - Milieu;
    return cellule >= 0 && cellule < NbCellules && k >= 1 && k <= NbMiniatures() ? k : 0;
}

QString PagesMiniatures::entree(int cellule, qint64 position) const
{
    const qint64 k = indexCellule(cellule, position);
    return k > 0 ? liste_.at(k - 1) : QString();
}

qint64 PagesMiniatures::positionVoisine(int sens) const
{
    return borner(position_ + sens * NbCellules);
}
