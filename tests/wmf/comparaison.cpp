#include "comparaison.h"

#include <QPainter>
#include <QtMath>

namespace wmftest {

namespace {

QImage reduite(const QImage& source)
{
    QImage fond(source.size(), QImage::Format_RGB32);
    fond.fill(Qt::white);
    QPainter p(&fond);
    p.drawImage(0, 0, source);
    p.end();
    // Down in two steps: smooth scaling of a large picture straight to a tiny
    // one skips thin lines.
    const QImage moyenne =
        fond.scaled(CoteComparaison * 4, CoteComparaison * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return moyenne.scaled(CoteComparaison, CoteComparaison, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

double similarite(const QImage& a, const QImage& b)
{
    const QImage ra = reduite(a), rb = reduite(b);
    double difference = 0, encre = 0;
    for (int y = 0; y < CoteComparaison; ++y) {
        const QRgb* la = reinterpret_cast<const QRgb*>(ra.constScanLine(y));
        const QRgb* lb = reinterpret_cast<const QRgb*>(rb.constScanLine(y));
        for (int x = 0; x < CoteComparaison; ++x) {
            for (int decalage : {16, 8, 0}) {
                const int ca = (la[x] >> decalage) & 0xFF, cb = (lb[x] >> decalage) & 0xFF;
                difference += qAbs(ca - cb);
                encre += (255 - ca) + (255 - cb);
            }
        }
    }
    return encre <= 0 ? 1.0 : qMax(0.0, 1.0 - difference / encre);
}

QImage coteACote(const QImage& a, const QImage& b)
{
    const int h = qMax(a.height(), b.height());
    QImage r(a.width() + b.width() + 8, h, QImage::Format_RGB32);
    r.fill(Qt::darkGray);
    QPainter p(&r);
    p.fillRect(QRect(0, 0, a.width(), a.height()), Qt::white);
    p.drawImage(0, 0, a);
    p.fillRect(QRect(a.width() + 8, 0, b.width(), b.height()), Qt::white);
    p.drawImage(a.width() + 8, 0, b);
    return r;
}

} // namespace wmftest
