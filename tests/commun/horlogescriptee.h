#pragma once
// A clock whose time only moves when the test says: the timers it was asked to
// wake fire through their own signal, from the event loop, once time has passed
// their due time.
#include "core/horloge.h"

#include <QPointer>
#include <algorithm>
#include <vector>

class HorlogeScriptee : public Horloge {
public:
    qint64 maintenant() const override { return t_; }
    void programmer(QTimer& minuterie, qint64 echeance) override
    {
        retirer(&minuterie);
        minuterie.stop();
        if (echeance <= t_)
            minuterie.start(0);
        else
            attentes_.push_back({&minuterie, echeance});
    }
    void avancer(qint64 ms)
    {
        t_ += ms;
        auto attentes = std::move(attentes_);
        attentes_.clear();
        for (const Attente& a : attentes) {
            if (!a.minuterie)
                continue;
            if (a.echeance <= t_)
                a.minuterie->start(0);
            else
                attentes_.push_back(a);
        }
    }
    // Timers waiting for a time still to come.
    int enAttente() const
    {
        int n = 0;
        for (const Attente& a : attentes_)
            n += a.minuterie ? 1 : 0;
        return n;
    }

private:
    struct Attente {
        QPointer<QTimer> minuterie;
        qint64 echeance;
    };
    void retirer(QTimer* m)
    {
        attentes_.erase(
            std::remove_if(attentes_.begin(), attentes_.end(), [m](const Attente& a) { return a.minuterie == m; }),
            attentes_.end());
    }
    qint64 t_ = 0;
    std::vector<Attente> attentes_;
};
