#include "core/cacheminiatures.h"

void CacheMiniatures::retirer(std::list<Entree>::iterator it)
{
    octets_ -= it->image.octets();
    index_.remove(it->cle);
    ordre_.erase(it);
}

void CacheMiniatures::garder(const QString& cle, const ImagePrete& image)
{
    if (auto it = index_.find(cle); it != index_.end())
        retirer(it.value());
    if (image.octets() > budget_)
        return;
    ordre_.push_front({cle, image});
    index_.insert(cle, ordre_.begin());
    octets_ += image.octets();
    while (octets_ > budget_ && !ordre_.empty())
        retirer(std::prev(ordre_.end()));
}

bool CacheMiniatures::trouver(const QString& cle, ImagePrete* image)
{
    const auto it = index_.find(cle);
    if (it == index_.end())
        return false;
    ordre_.splice(ordre_.begin(), ordre_, it.value());
    *image = ordre_.front().image;
    return true;
}

void CacheMiniatures::oublier(const QString& chemin)
{
    for (auto it = ordre_.begin(); it != ordre_.end();) {
        auto suivant = std::next(it);
        if (it->image.chemin == chemin)
            retirer(it);
        it = suivant;
    }
}
