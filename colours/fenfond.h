#pragma once
// The backdrop: a borderless window of one plain colour covering the screen that
// holds the main window, which the main window keeps in front of it. Pressing a
// mouse button on it paints a 256-band colour gradient from the pressed row down;
// what is painted stays until the colour changes, as on a canvas.
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

class General;

class FenFond : public QWidget {
    Q_OBJECT
public:
    FenFond(General& g, QWidget* fenetrePrincipale);

    QColor couleur() const { return couleur_; }
    // A new colour wipes the canvas, gradients included.
    void setCouleur(const QColor& c);
    // The persistent drawing, at the window's size in device pixels.
    const QImage& dessin() const { return dessin_; }

    // The gradient a press at height y paints, for the given mouse button.
    void dessinerDegrade(int y, Qt::MouseButton bouton);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void placerSurEcran();
    void ajusterDessin();
    void ramenerFenetrePrincipale();

    General& g_;
    QPointer<QWidget> principale_;
    QColor couleur_;
    QImage dessin_;
};
