#include "app/ratiopixels.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>

bool ratioDifferent(qreal ratioImage, qreal ratioEcran)
{
    return std::abs(ratioImage - ratioEcran) > 1e-3;
}

void peindreImagePrete(QPainter& p, const QRect& zone, const QImage& image)
{
    if (image.isNull())
        return;
    if (!ratioDifferent(image.devicePixelRatio(), p.device()->devicePixelRatio())) {
        p.drawImage(QPointF(zone.topLeft()), image);
        return;
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(zone, image);
    p.restore();
}

SuiviRatio::SuiviRatio(QWidget* surveille)
    : QObject(surveille), surveille_(surveille), ratio_(surveille->devicePixelRatioF())
{
    surveille->installEventFilter(this);
}

bool SuiviRatio::eventFilter(QObject* objet, QEvent* e)
{
    // Qt tells every widget of a window that moved to another screen; a window first
    // shown on a screen of another ratio than the primary one is told too.
    if (objet == surveille_ && (e->type() == QEvent::ScreenChangeInternal || e->type() == QEvent::Show)) {
        const qreal r = surveille_->devicePixelRatioF();
        if (ratioDifferent(r, ratio_)) {
            ratio_ = r;
            emit ratioChange(r);
        }
    }
    return QObject::eventFilter(objet, e);
}
