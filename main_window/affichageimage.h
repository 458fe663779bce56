#pragma once
// Image1: the picture control of the display box. It draws its picture stretched
// to its own size (the fitting has already given it the picture's proportions).
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
