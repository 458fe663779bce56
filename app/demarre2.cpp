#include "app/demarre2.h"

#include "app/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {
const QColor Gris(224, 224, 224);

QLabel* libelle(QWidget* parent, const char* nom, const QString& texte, const char* police, double points, bool gras,
                int g, int h, int l, int ht)
{
    auto* lbl = new QLabel(texte, parent);
    lbl->setObjectName(QString::fromLatin1(nom));
    QFont f(QString::fromLatin1(police));
    f.setPointSizeF(points);
    f.setBold(gras);
    lbl->setFont(f);
    QPalette pal = lbl->palette();
    pal.setColor(QPalette::WindowText, Gris);
    lbl->setPalette(pal);
    twips::placer(lbl, g, h, l, ht);
    return lbl;
}
} // namespace

Demarre2::Demarre2(std::function<void(Demarre2*)> chargerFenPrin, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), charger_(std::move(chargerFenPrin))
{
    setObjectName(QStringLiteral("Demarre2"));
    setWindowTitle(QStringLiteral("Démarrage"));
    setFixedSize(twips::taille(7065, 1950));
    libelle(this, "Label2", QStringLiteral("Ormelle"), "Times New Roman", 48, true, 180, 60, 5625, 1080);
    libelle(this, "Label3", QStringLiteral("Version 4.11 - Octobre 2002"), "Arial", 12, true, 3720, 1140, 3120, 285);
    libelle(this, "Label4", QStringLiteral("Un instant, SVP..."), "Arial", 9.75, true, 5265, 1590, 1620, 240);
    libelle(this, "Label1", QStringLiteral("© Talvenor 2002"), "Arial", 8.25, false, 120, 1020, 1620, 210);
    if (QScreen* ecran = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(ecran->availableGeometry().center());
        move(r.topLeft());
    }
}

void Demarre2::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // 256 bands from black to pure blue, each 2 of 512 units high.
    const double bande = height() / 256.0;
    for (int i = 0; i < 256; ++i)
        p.fillRect(QRectF(0, i * bande, width(), bande + 1), QColor(0, 0, i));
    p.setPen(QPen(Gris, 2));
    p.drawLine(QPointF(twips::px(3480), twips::px(1500)), QPointF(twips::px(6800), twips::px(1500)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(twips::px(15), 0, twips::px(7035), twips::px(1935)).adjusted(1, 1, -1, -1));
}

void Demarre2::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (charge_ || !charger_)
        return;
    charge_ = true;
    // Timer1: one tick, once the splash has been painted.
    QTimer::singleShot(1, this, [this] { charger_(this); });
}
