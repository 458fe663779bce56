#include "colours/fenfond.h"

#include "app/general.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

FenFond::FenFond(General& g, QWidget* fenetrePrincipale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      g_(g),
      principale_(fenetrePrincipale),
      couleur_(g.CouleurFenFond)
{
    setObjectName(QStringLiteral("FenFond"));
    setWindowTitle(QStringLiteral("Fond"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    placerSurEcran();
}

void FenFond::placerSurEcran()
{
    QScreen* ecran = principale_ ? principale_->screen() : nullptr;
    if (!ecran)
        ecran = QGuiApplication::primaryScreen();
    const QRect zone = ecran ? ecran->geometry() : QRect(0, 0, 640, 480);
    setGeometry(zone);
    dessin_ = QImage(zone.size(), QImage::Format_RGB32);
    dessin_.fill(couleur_);
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
    const QColor base = g_.CouleurFenFond;
    // 256 bands, each 1/256 of the window's height, from the pressed row down;
    // those below the bottom edge fall outside the canvas.
    const double hauteurBande = dessin_.height() / 256.0;
    QPainter p(&dessin_);
    for (int i = 0; i < 256; ++i) {
        const int haut = qRound(y + i * hauteurBande);
        const int bas = qRound(y + (i + 1) * hauteurBande);
        if (haut >= dessin_.height())
            break;
        const QColor c =
            bouton == Qt::LeftButton ? QColor(base.red(), base.green(), i) : QColor(base.green(), base.blue(), i);
        p.fillRect(QRect(0, haut, dessin_.width(), qMax(1, bas - haut)), c);
    }
    update();
}

void FenFond::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), couleur_);
    p.drawImage(e->rect(), dessin_, e->rect());
}

void FenFond::resizeEvent(QResizeEvent* e)
{
    if (dessin_.size() != size()) {
        QImage nouveau(size(), QImage::Format_RGB32);
        nouveau.fill(couleur_);
        QPainter(&nouveau).drawImage(0, 0, dessin_);
        dessin_ = nouveau;
    }
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
