#include "app/panneaumessage.h"

#include "app/twips.h"

#include <QLabel>
#include <QScrollArea>

#include <algorithm>

PanneauMessage::PanneauMessage(QWidget* parent, const QString& nom, const QString& titre, QSizeF taille, QRectF texte,
                               QRectF bouton)
    : PanneauSkin(parent, nom, titre),
      taille_(twips::taille(taille.width(), taille.height())),
      zoneTexte_(twips::rect(texte.x(), texte.y(), texte.width(), texte.height())),
      zoneBouton_(twips::rect(bouton.x(), bouton.y(), bouton.width(), bouton.height()))
{
    resize(taille_);
    // The text scrolls inside its box when it cannot fit; otherwise the box is its height.
    defilement_ = new QScrollArea(this);
    defilement_->setFrameShape(QFrame::NoFrame);
    defilement_->setFocusPolicy(Qt::NoFocus);
    defilement_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    defilement_->setWidgetResizable(true);
    defilement_->viewport()->setAutoFillBackground(false); // the panel's gradient shows through
    defilement_->setGeometry(zoneTexte_);
    texte_ = new QLabel;
    texte_->setWordWrap(true);
    defilement_->setWidget(texte_);
    texte_->setAutoFillBackground(false);

    bouton_ = new BoutonSkin(this, QString(), QStringLiteral("D'accord !"));
    bouton_->setGeometry(zoneBouton_);
    setBoutonsClavier(bouton_, bouton_);
}

void PanneauMessage::setTexte(const QString& texte)
{
    texte_->setText(texte);
    ajuster();
}

void PanneauMessage::ajuster(int hauteurMax)
{
    if (hauteurMax < 0)
        hauteurMax = parentWidget() ? parentWidget()->height() - y() : QWIDGETSIZE_MAX;
    const int besoin = texte_->heightForWidth(zoneTexte_.width());
    const int surplus = std::clamp(besoin - zoneTexte_.height(), 0, std::max(0, hauteurMax - taille_.height()));
    resize(taille_.width(), taille_.height() + surplus);
    defilement_->setGeometry(zoneTexte_.adjusted(0, 0, 0, surplus));
    bouton_->setGeometry(zoneBouton_.translated(0, surplus));
}
