#include "platform/reserveimages.h"

#include <cstdlib>
#include <deque>
#include <mutex>

namespace reserveimages {

namespace {

struct Tampon {
    uchar* donnees;
    qint64 octets;
};

// Buffers below this size come from the heap as usual: faults do not matter there.
constexpr qint64 TailleMin = 4 * 1024 * 1024;

std::mutex verrou;
std::deque<Tampon> libres; // oldest first
qint64 octetsLibres_ = 0;
qint64 plafond_ = 100 * 1024 * 1024; // one decode of a 24-megapixel photo, whole

void limiter()
{
    while (octetsLibres_ > plafond_ && !libres.empty()) {
        std::free(libres.front().donnees);
        octetsLibres_ -= libres.front().octets;
        libres.pop_front();
    }
}

void rendre(void* info)
{
    auto* t = static_cast<Tampon*>(info);
    {
        std::lock_guard<std::mutex> garde(verrou);
        libres.push_back(*t);
        octetsLibres_ += t->octets;
        limiter();
    }
    delete t;
}

// The smallest free buffer that holds `octets` without wasting more than a third of it.
uchar* prendre(qint64 octets, qint64* capacite)
{
    std::lock_guard<std::mutex> garde(verrou);
    auto meilleur = libres.end();
    for (auto it = libres.begin(); it != libres.end(); ++it)
        if (it->octets >= octets && it->octets * 2 <= octets * 3
            && (meilleur == libres.end() || it->octets < meilleur->octets))
            meilleur = it;
    if (meilleur == libres.end())
        return nullptr;
    uchar* d = meilleur->donnees;
    *capacite = meilleur->octets;
    octetsLibres_ -= meilleur->octets;
    libres.erase(meilleur);
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
    std::lock_guard<std::mutex> garde(verrou);
    return octetsLibres_;
}

void setPlafond(qint64 octets)
{
    std::lock_guard<std::mutex> garde(verrou);
    plafond_ = std::max<qint64>(0, octets);
    limiter();
}

} // namespace reserveimages
