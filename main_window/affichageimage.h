#pragma once
// Image1: the picture control of the display box. Its picture was fitted to its
// size at the window's device pixels, and is drawn as it is.
#include <QImage>
#include <QWidget>

class AffichageImage : public QWidget {
    Q_OBJECT
public:
    explicit AffichageImage(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    QImage image() const { return image_; }

signals:
    void clique();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QImage image_;
    bool presse_ = false;
};
