#include "fullscreen/surfaces.h"

#include "app/ratiopixels.h"
#include "app/twips.h"

#include <QMouseEvent>
#include <QPainter>

ZoneImage::ZoneImage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void ZoneImage::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void ZoneImage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The picture was fitted to this size off the interface thread: a copy. Rounded
    // to whole device pixels, it may fall short of the control by a fraction of a
    // logical one; the background fills that.
    const QSizeF vue = QSizeF(m_image.size()) / m_image.devicePixelRatio();
    if (m_image.isNull() || vue.width() < width() || vue.height() < height())
        p.fillRect(rect(), palette().color(QPalette::Window));
    peindreImagePrete(p, rect(), m_image);
}

void ZoneImage::mousePressEvent(QMouseEvent* e)
{
    emit sourisEnfoncee(e);
}

SurfaceEffet::SurfaceEffet(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture2"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    // A click during the effect belongs to the picture beneath it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void SurfaceEffet::preparer(const QColor& fond, const QColor& couleur)
{
    m_fond = fond;
    m_couleur = couleur;
    m_avecRectangle = false;
    update();
}

void SurfaceEffet::setRectangle(const RectangleEffet* r)
{
    m_avecRectangle = r != nullptr;
    if (r)
        m_rectangle = *r;
    update();
}

void SurfaceEffet::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_fond);
    if (!m_avecRectangle)
        return;
    const auto px = [](qint64 t) { return double(t) / twips::ParPixel; };
    const QRectF zone(QPointF(px(m_rectangle.x1), px(m_rectangle.y1)), QPointF(px(m_rectangle.x2), px(m_rectangle.y2)));
    if (zone.width() > 0 && zone.height() > 0)
        p.fillRect(zone, m_couleur);
}

void SurfaceEffet::mousePressEvent(QMouseEvent* e)
{
    e->ignore();
}
