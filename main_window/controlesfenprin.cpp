#include "main_window/controlesfenprin.h"

#include "app/twips.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>

LibelleCouleurs::LibelleCouleurs(QWidget* parent, const QString& nom, const QString& texte) : QLabel(texte, parent)
{
    setObjectName(nom);
    setMouseTracking(true);
    QFont f = font();
    f.setFamily(QStringLiteral("Verdana"));
    f.setPointSizeF(8.25);
    f.setBold(true);
    setFont(f);
}

void LibelleCouleurs::setInfoBulle(const QString& texte, const bool* actif)
{
    infoBulle_ = texte;
    actif_ = actif;
}

void LibelleCouleurs::mouseMoveEvent(QMouseEvent* e)
{
    if (actif_)
        setToolTip(*actif_ ? infoBulle_ : QString());
    QLabel::mouseMoveEvent(e);
}

void LibelleCouleurs::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton)
        emit boutonDroit();
    QLabel::mousePressEvent(e);
}

PanneauOptions::PanneauOptions(QWidget* parent, const QString& nom, const QString& titre)
    : PanneauSkin(parent, nom, titre)
{
}

void PanneauOptions::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF r = rect();
    peindreFond(p, r, false);
    p.setPen(QPen(gradientFin().darker(160), 1));
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(1.5, 1.5), QPointF(r.width() - 1.5, 1.5));

    // The caption reads bottom to top in the margin left of the entries.
    p.save();
    p.translate(3, height() - 6);
    p.rotate(-90);
    QFont f = font();
    f.setPointSizeF(7.5);
    p.setFont(f);
    p.setPen(couleurTexte());
    p.drawText(QRect(0, 0, height() - 12, 15), Qt::AlignCenter, titre());
    p.restore();
}

BoutonSkin* entreeMenu(QWidget* parent, const char* nom, const char* texte, int gauche, int haut, int largeur)
{
    auto* b = new BoutonSkin(parent, QString::fromLatin1(nom), QString::fromUtf8(texte));
    twips::placer(b, gauche, haut, largeur, 255);
    b->setAvecDegrade(false);
    b->setAlignementTexte(Qt::AlignLeft | Qt::AlignVCenter);
    return b;
}

QFrame* ligneSeparation(QWidget* parent, const QString& nom, int gauche, int haut, int largeur)
{
    auto* l = new QFrame(parent);
    l->setObjectName(nom);
    l->setFrameShape(QFrame::NoFrame);
    l->setAutoFillBackground(true);
    twips::placer(l, gauche, haut, largeur, 15);
    return l;
}
