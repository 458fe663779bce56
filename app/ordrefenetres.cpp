#include "app/ordrefenetres.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {
class Suivi : public QObject {
public:
    using QObject::QObject;
    QList<QPointer<QWidget>> montrees;

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType()) {
            auto* w = static_cast<QWidget*>(o);
            if (w->isWindow() && !montrees.contains(w)) {
                montrees.removeAll(nullptr);
                montrees.append(w);
            }
        }
        return false;
    }
};

QPointer<Suivi> suivi;
} // namespace

void ordrefenetres::suivre()
{
    if (suivi || !QCoreApplication::instance())
        return;
    // Owned by the application, so that it lives exactly as long as the windows it follows.
    suivi = new Suivi(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(suivi);
}

QList<QWidget*> ordrefenetres::fenetres()
{
    QList<QWidget*> montrees;
    if (suivi) {
        for (const QPointer<QWidget>& w : std::as_const(suivi->montrees))
            if (w && w->isWindow())
                montrees.append(w);
    }
    QList<QWidget*> resultat;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!montrees.contains(w))
            resultat.append(w);
    return resultat + montrees;
}
