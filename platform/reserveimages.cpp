#include "platform/reserveimages.h"

#include <cstdlib>
#include <deque>
#include <mutex>

namespace reserveimages {

namespace {

struct Tampon {
    uchar* donnees;
    qint64 octets;
    bool ancien = false; // free already at the last call to rendreLesAnciens()
};

// Buffers below this size come from the heap as usual: faults do not matter there.
constexpr qint64 TailleMin = 4 * 1024 * 1024;

struct Reserve {
    std::mutex verrou;
    std::deque<Tampon> libres; // oldest first
    qint64 octetsLibres = 0;
    qint64 plafond = 100 * 1024 * 1024; // one decode of a 24-megapixel photo, whole
};

// Never destroyed: a picture may outlive the statics and still give its buffer back.
Reserve& reserve()
{
    static Reserve* r = new Reserve;
    return *r;
}

void limiter(Reserve& r)
{
    while (r.octetsLibres > r.plafond && !r.libres.empty()) {
        std::free(r.libres.front().donnees);
        r.octetsLibres -= r.libres.front().octets;
        r.libres.pop_front();
    }
}

void rendre(void* info)
{
    auto* t = static_cast<Tampon*>(info);
    {
        Reserve& r = reserve();
        std::lock_guard<std::mutex> garde(r.verrou);
        r.libres.push_back(Tampon{t->donnees, t->octets});
        r.octetsLibres += t->octets;
        limiter(r);
    }
    delete t;
}

// The smallest free buffer that holds `octets` without wasting more than a third of it.
uchar* prendre(qint64 octets, qint64* capacite)
{
    Reserve& r = reserve();
    std::lock_guard<std::mutex> garde(r.verrou);
    auto meilleur = r.libres.end();
    for (auto it = r.libres.begin(); it != r.libres.end(); ++it)
        if (it->octets >= octets && it->octets * 2 <= octets * 3
            && (meilleur == r.libres.end() || it->octets < meilleur->octets))
            meilleur = it;
    if (meilleur == r.libres.end())
        return nullptr;
    uchar* d = meilleur->donnees;
    *capacite = meilleur->octets;
    r.octetsLibres -= meilleur->octets;
    r.libres.erase(meilleur);
    return d;
}

} // namespace

QImage imageRgb32(const QSize& taille)
{
    if (taille.isEmpty())
        return {};
    const qint64 octets = qint64(taille.width()) * taille.height() * 4;
    if (octets < TailleMin)
        return QImage(taille, QImage::Format_RGB32);
    qint64 capacite = octets;
    uchar* d = prendre(octets, &capacite);
    if (!d)
        d = static_cast<uchar*>(std::malloc(size_t(octets)));
    if (!d)
        return {};
    return QImage(d, taille.width(), taille.height(), taille.width() * 4, QImage::Format_RGB32, rendre,
                  new Tampon{d, capacite});
}

qint64 octetsLibres()
{
    Reserve& r = reserve();
    std::lock_guard<std::mutex> garde(r.verrou);
    return r.octetsLibres;
}

void rendreLesAnciens()
{
    Reserve& r = reserve();
    std::lock_guard<std::mutex> garde(r.verrou);
    for (auto it = r.libres.begin(); it != r.libres.end();) {
        if (it->ancien) {
            std::free(it->donnees);
            r.octetsLibres -= it->octets;
            it = r.libres.erase(it);
        } else
            (it++)->ancien = true;
    }
}

void setPlafond(qint64 octets)
{
    Reserve& r = reserve();
    std::lock_guard<std::mutex> garde(r.verrou);
    r.plafond = std::max<qint64>(0, octets);
    limiter(r);
}

} // namespace reserveimages
