#include "platform/veilledossier.h"

#include "platform/nomsfichiers.h"

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

namespace {
constexpr uint32_t Evenements =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
}

VeilleDossier::VeilleDossier(QObject* parent) : QObject(parent)
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return;
    notificateur_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notificateur_, &QSocketNotifier::activated, this, &VeilleDossier::lire);
}

VeilleDossier::~VeilleDossier()
{
    // The notifier must not outlive the descriptor it watches.
    delete notificateur_;
    if (fd_ >= 0)
        ::close(fd_);
}

bool VeilleDossier::surveiller(const QString& dossier)
{
    if (fd_ < 0)
        return false;
    if (dossier == dossier_ && (veille_ >= 0 || dossier.isEmpty()))
        return true;
    if (veille_ >= 0)
        inotify_rm_watch(fd_, veille_);
    veille_ = -1;
    dossier_ = dossier;
    if (dossier.isEmpty())
        return true;
    veille_ = inotify_add_watch(fd_, octetsDepuisChemin(dossier).constData(), Evenements | IN_ONLYDIR);
    return veille_ >= 0;
}

// One signal for everything read at once: the listener batches anyway.
void VeilleDossier::lire()
{
    alignas(inotify_event) char tampon[8192];
    bool vu = false;
    for (;;) {
        const ssize_t n = ::read(fd_, tampon, sizeof tampon);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(tampon + i);
            if (e->wd == veille_ && !(e->mask & IN_IGNORED))
                vu = true;
            i += ssize_t(sizeof(inotify_event)) + e->len;
        }
    }
    if (vu)
        emit change();
}
