#pragma once
// A decoder for the picture service that the test drives: it records what it
// was asked, in what order, and can hold every decode until released.
#include "core/serviceimages.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

struct DecodeurScripte {
    std::atomic<int> appels{0};
    std::atomic<int> enCours{0};
    std::atomic<int> maxEnCours{0};
    std::atomic<int> finis{0};
    std::atomic<bool> bloquer{false};
    std::atomic<int> annulationsVues{0}; // decodes told to stop while they ran
    QSemaphore porte{0};
    QMutex verrou;
    QStringList ordre; // paths, in the order decodes started
    QList<int> modes;  // fitting mode of each decode

    // Decodes run on threads the service may leave behind: the decoder's going
    // lets the held ones out, waits for those inside, and turns later ones away.
    struct Acces {
        std::mutex verrou;
        std::condition_variable sortie;
        DecodeurScripte* decodeur = nullptr;
        int dedans = 0;
    };
    std::shared_ptr<Acces> acces = std::make_shared<Acces>();

    DecodeurScripte() { acces->decodeur = this; }
    ~DecodeurScripte()
    {
        bloquer = false;
        porte.release(1000);
        std::unique_lock<std::mutex> l(acces->verrou);
        acces->sortie.wait(l, [this] { return acces->dedans == 0; });
        acces->decodeur = nullptr;
    }

    ImagePrete operator()(const DemandeImage& d)
    {
        ++appels;
        const int n = ++enCours;
        int m = maxEnCours;
        while (n > m && !maxEnCours.compare_exchange_weak(m, n)) {
        }
        {
            QMutexLocker l(&verrou);
            ordre << d.chemin;
            modes << d.mode;
        }
        if (bloquer)
            porte.acquire();
        if (d.annulation && *d.annulation)
            ++annulationsVues;
        ImagePrete r;
        r.chemin = d.chemin;
        r.image = QImage(25, 10, QImage::Format_ARGB32); // 1000 bytes
        r.image.fill(d.mode == 2 ? Qt::blue : Qt::red);
        --enCours;
        ++finis;
        return r;
    }
    QStringList commences()
    {
        QMutexLocker l(&verrou);
        return ordre;
    }
};

inline ServiceImages::Decodeur par(DecodeurScripte& d)
{
    return [acces = d.acces](const DemandeImage& demande) {
        DecodeurScripte* decodeur;
        {
            std::lock_guard<std::mutex> l(acces->verrou);
            decodeur = acces->decodeur;
            if (!decodeur)
                return ImagePrete{};
            ++acces->dedans;
        }
        ImagePrete r = (*decodeur)(demande);
        std::lock_guard<std::mutex> l(acces->verrou);
        --acces->dedans;
        acces->sortie.notify_all();
        return r;
    };
}
