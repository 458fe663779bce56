#pragma once
// The repeat around one player: its repeat timer (10 ms, disabled at start)
// and the flag RepetitionSon, driven by the player's mode notifications. While the flag
// is set, each end of the sound ("stopped") enables the timer, whose tick plays the
// sound again from 0; the "playing" notification then disables it until the next end.
#include <QObject>
#include <QTimer>

class LecteurMci;

class Repetition : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalleMs = 10;

    // `nomMinuterie`: the timer's name in its window ("Timer2" in the main window,
    // "Timer1" in the full-screen menu).
    Repetition(LecteurMci& lecteur, const QString& nomMinuterie, QObject* parent = nullptr);

    bool RepetitionSon = false;
    QTimer& minuterie() { return *minuterie_; }

private:
    void notification(const QString& mode);

    LecteurMci& lecteur_;
    QTimer* minuterie_;
};
