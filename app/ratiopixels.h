#pragma once
// Pictures are decoded at the device pixels of the window that shows them. These
// helpers draw such a picture without scaling it a second time, and tell when the
// window's ratio changes (moved to a screen of another ratio) so that it is
// decoded again for the new one.
#include <QObject>

class QImage;
class QPainter;
class QRect;
class QWidget;

// Draws a picture fitted beforehand to `zone`: pixel for pixel when it was made at
// the painter's device ratio (its logical size may differ from the zone's by a
// fraction of a pixel: rounded twips), stretched smoothly into the zone when it
// was made for another ratio, until it is decoded again.
void peindreImagePrete(QPainter& p, const QRect& zone, const QImage& image);

// True when a picture made at `ratioImage` needs decoding again for `ratioEcran`.
bool ratioDifferent(qreal ratioImage, qreal ratioEcran);

// Watches a widget's window and signals when its device pixel ratio changes.
class SuiviRatio : public QObject {
    Q_OBJECT
public:
    explicit SuiviRatio(QWidget* surveille);
    qreal ratio() const { return ratio_; }

signals:
    void ratioChange(qreal ratio);

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    QWidget* surveille_;
    qreal ratio_;
};
