#pragma once
// The time animations run on, in milliseconds. The real one reads a monotonic
// clock and wakes its owner with a precise timer; a test puts a scripted one in
// its place and moves time by hand.
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

class Horloge {
public:
    virtual ~Horloge() = default;
    virtual qint64 maintenant() const = 0;
    // Makes `minuterie` (single shot) fire once `echeance` is reached.
    virtual void programmer(QTimer& minuterie, qint64 echeance) = 0;
};

class HorlogeReelle : public Horloge {
public:
    HorlogeReelle() { depart_.start(); }
    qint64 maintenant() const override { return depart_.elapsed(); }
    void programmer(QTimer& minuterie, qint64 echeance) override
    {
        minuterie.start(int(std::clamp<qint64>(echeance - maintenant(), 0, 24 * 3600 * 1000)));
    }

private:
    QElapsedTimer depart_;
};
