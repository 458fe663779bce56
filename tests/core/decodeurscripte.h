#pragma once
// A decoder for the picture service that the test drives: it records what it
// was asked, in what order, and can hold every decode until released.
#include "core/serviceimages.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <atomic>

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
    return [&d](const DemandeImage& demande) { return d(demande); };
}
