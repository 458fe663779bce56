#pragma once
// The two drawing surfaces of the viewer: Image1 shows the fitted picture as
// is; Picture2 lies over it during the transition and shows the background
// with the growing rectangle.

#include "fullscreen/effetcarre.h"

#include <QImage>
#include <QWidget>
#include <vector>

class ZoneImage : public QWidget {
    Q_OBJECT
public:
    explicit ZoneImage(QWidget* parent);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

signals:
    void sourisEnfoncee(QMouseEvent* e);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QImage m_image;
};

// Drawn from the rectangles of EffetCarre, in twips relative to itself; only
// the latest one is painted, since each covers the ones before.
class SurfaceEffet : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceEffet(QWidget* parent);
    void preparer(const QColor& fond, const QColor& couleur);
    void setRectangle(const RectangleEffet* r);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QColor m_fond;
    QColor m_couleur;
    bool m_avecRectangle = false;
    RectangleEffet m_rectangle{0, 0, 0, 0};
};
