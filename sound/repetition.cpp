#include "sound/repetition.h"

#include "sound/lecteurmci.h"

Repetition::Repetition(LecteurMci& lecteur, const QString& nomMinuterie, QObject* parent)
    : QObject(parent), lecteur_(lecteur), minuterie_(new QTimer(this))
{
    minuterie_->setObjectName(nomMinuterie);
    minuterie_->setInterval(IntervalleMs);
    connect(minuterie_, &QTimer::timeout, this, [this] { lecteur_.Command(QStringLiteral("play from 0")); });
    connect(&lecteur_, &LecteurMci::NotifyMode, this, &Repetition::notification);
}

void Repetition::notification(const QString& mode)
{
    // The mode the notification carries, read when it changed: the notification is
    // posted, and by the time it is handled a load may have closed and reopened the
    // device, whose "stopped" must not be taken for the end of a sound.
    if (mode == LecteurMci::ModeArrete) {
        if (RepetitionSon)
            minuterie_->start();
        else
            minuterie_->stop();
    } else if (mode == LecteurMci::ModeLecture) {
        minuterie_->stop();
    }
}
