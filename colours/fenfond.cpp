#include "colours/fenfond.h"

#include "app/general.h"
#include "app/ratiopixels.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

FenFond::FenFond(General& g, QWidget* fenetrePrincipale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      g_(g),
      principale_(fenetrePrincipale),
      couleur_(g.fond.couleur)
{
    setObjectName(QStringLiteral("FenFond"));
    setWindowTitle(QStringLiteral("Fond"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    placerSurEcran();
    // Moved to a screen of another ratio: the canvas follows at the new pixels.
    connect(new SuiviRatio(this), &SuiviRatio::ratioChange, this, [this] { ajusterDessin(); });
}

void FenFond::placerSurEcran()
{
    QScreen* ecran = principale_ ? principale_->screen() : nullptr;
    if (!ecran)
        ecran = QGuiApplication::primaryScreen();
    const QRect zone = ecran ? ecran->geometry() : QRect(0, 0, 640, 480);
    setGeometry(zone);
    dessin_ = QImage();
    ajusterDessin();
}

// The canvas is kept at the window's device pixels, so that the bands' edges fall
// on the screen's own rows and not on pairs of them.
void FenFond::ajusterDessin()
{
    const qreal ratio = devicePixelRatioF();
    const QSize taille = (QSizeF(size()) * ratio).toSize();
    if (dessin_.size() == taille && !ratioDifferent(dessin_.devicePixelRatio(), ratio))
        return;
    QImage nouveau(taille, QImage::Format_RGB32);
    nouveau.fill(couleur_);
    nouveau.setDevicePixelRatio(ratio);
    if (!dessin_.isNull()) {
        // What was painted stays where it was on the window, redrawn at the new pixels.
        QPainter p(&nouveau);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QPointF(0, 0), dessin_);
    }
    dessin_ = nouveau;
    update();
}

void FenFond::setCouleur(const QColor& c)
{
    couleur_ = c;
    dessin_.fill(couleur_);
    update();
}

void FenFond::dessinerDegrade(int y, Qt::MouseButton bouton)
{
    if (bouton != Qt::LeftButton && bouton != Qt::RightButton)
        return;
    const QColor base = g_.fond.couleur;
    // 256 bands, each 1/256 of the window's height, from the pressed row down;
    // those below the bottom edge fall outside the canvas. Counted in the canvas's
    // own (device) pixels.
    const qreal ratio = dessin_.devicePixelRatio();
    const double depart = y * ratio;
    const double hauteurBande = dessin_.height() / 256.0;
    dessin_.setDevicePixelRatio(1);
    {
        QPainter p(&dessin_);
        for (int i = 0; i < 256; ++i) {
            const int haut = qRound(depart + i * hauteurBande);
            const int bas = qRound(depart + (i + 1) * hauteurBande);
            if (haut >= dessin_.height())
                break;
            const QColor c =
                bouton == Qt::LeftButton ? QColor(base.red(), base.green(), i) : QColor(base.green(), base.blue(), i);
            p.fillRect(QRect(0, haut, dessin_.width(), qMax(1, bas - haut)), c);
        }
    }
    dessin_.setDevicePixelRatio(ratio);
    update();
}

void FenFond::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), couleur_);
    // The canvas's pixels map one to one onto the window's.
    const qreal ratio = dessin_.devicePixelRatio();
    const QRectF zone(e->rect());
    p.drawImage(zone, dessin_, QRectF(zone.topLeft() * ratio, zone.size() * ratio));
}

void FenFond::resizeEvent(QResizeEvent* e)
{
    ajusterDessin();
    QWidget::resizeEvent(e);
}

void FenFond::mousePressEvent(QMouseEvent* e)
{
    dessinerDegrade(qRound(e->position().y()), e->button());
    ramenerFenetrePrincipale();
}

void FenFond::mouseReleaseEvent(QMouseEvent* e)
{
    if (rect().contains(e->position().toPoint()))
        ramenerFenetrePrincipale();
}

void FenFond::mouseDoubleClickEvent(QMouseEvent*)
{
    ramenerFenetrePrincipale();
}

void FenFond::ramenerFenetrePrincipale()
{
    if (!principale_)
        return;
    principale_->raise();
    principale_->activateWindow();
}
