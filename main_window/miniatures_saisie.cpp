// What turns the thumbnail page besides the column's buttons: the wheel over it,
// and Page Up, Page Down, Home and End while it has the focus.
#include "main_window/miniatures.h"

#include "app/skin.h"

#include <QKeyEvent>
#include <QWheelEvent>

void Miniatures::deplacer(int sens, void (PagesMiniatures::*pas)())
{
    sens_ = sens;
    (pages_.*pas)();
    AfficheMiniatures();
}

void Miniatures::allerA(qint64 position)
{
    const qint64 avant = pages_.ImageCentree();
    pages_.setPosition(position);
    if (pages_.ImageCentree() == avant)
        return;
    sens_ = pages_.ImageCentree() > avant ? 1 : -1;
    AfficheMiniatures();
}

// Wheel events come up from the cells and buttons, which leave them.
bool Miniatures::eventFilter(QObject* o, QEvent* e)
{
    if (o != FondMiniatures)
        return QObject::eventFilter(o, e);
    if (e->type() == QEvent::Wheel) {
        auto* roue = static_cast<QWheelEvent*>(e);
        roue->accept();
        const qint64 avant = pages_.ImageCentree();
        const int pages = pages_.molette(roue->angleDelta().y());
        if (pages_.ImageCentree() != avant) {
            sens_ = pages > 0 ? 1 : -1;
            AfficheMiniatures();
        }
        return true;
    }
    if (e->type() == QEvent::KeyPress)
        return touche(static_cast<QKeyEvent*>(e)->key());
    return false;
}

bool Miniatures::touche(int code)
{
    switch (code) {
    case Qt::Key_PageDown:
        deplacer(1, &PagesMiniatures::pageSuivante);
        return true;
    case Qt::Key_PageUp:
        deplacer(-1, &PagesMiniatures::pagePrecedente);
        return true;
    case Qt::Key_Home:
        deplacer(-1, &PagesMiniatures::debut);
        return true;
    case Qt::Key_End:
        deplacer(1, &PagesMiniatures::fin);
        return true;
    default:
        return false;
    }
}
