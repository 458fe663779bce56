#include "main_window/affichageimage.h"

#include "app/ratiopixels.h"

#include <QMouseEvent>
#include <QPainter>

AffichageImage::AffichageImage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void AffichageImage::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void AffichageImage::paintEvent(QPaintEvent*)
{
    if (image_.isNull())
        return;
    QPainter p(this);
    peindreImagePrete(p, rect(), image_);
}

void AffichageImage::mousePressEvent(QMouseEvent* e)
{
    presse_ = e->button() == Qt::LeftButton;
    QWidget::mousePressEvent(e);
}

void AffichageImage::mouseReleaseEvent(QMouseEvent* e)
{
    const bool clic = presse_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    presse_ = false;
    if (clic)
        emit clique();
    else
        QWidget::mouseReleaseEvent(e);
}
