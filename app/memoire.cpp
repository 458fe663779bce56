#include "app/memoire.h"

#include "platform/reserveimages.h"

#include <QTimer>
#include <malloc.h>

namespace {
// Free heap memory past which a check gives it back: more than a few picture buffers.
constexpr size_t SeuilRestitution = 32u << 20;
constexpr int IntervalleMs = 5000;
} // namespace

void reglerMemoireImages()
{
    // glibc's own thresholds otherwise: a large block is mapped apart until one of its
    // size has been freed, then taken from the heap and reused. Mapping every picture
    // buffer apart, as was done, faulted each one in afresh: a sixth of a slideshow's
    // CPU. Two arenas rather than one a thread: buffers decoded on the workers and
    // freed on the interface thread then pile up in fewer heaps (a slideshow peaked at
    // 167 MB with two, 174-231 MB with glibc's eight a core).
    mallopt(M_ARENA_MAX, 2);
}

void restituerMemoireAuRepos(QObject* parent)
{
    auto* minuterie = new QTimer(parent);
    minuterie->setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(minuterie, &QTimer::timeout, [] {
        reserveimages::rendreLesAnciens();
        if (mallinfo2().fordblks > SeuilRestitution)
            malloc_trim(0);
    });
    minuterie->start(IntervalleMs);
}
