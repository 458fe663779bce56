#include "main_window/panneaurenommer.h"

#include "app/general.h"
#include "app/twips.h"
#include "platform/nomsfichiers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {
QLabel* libelle(QWidget* parent, const char* nom, const QString& texte, int g, int h, int l, int ht)
{
    auto* label = new QLabel(texte, parent);
    label->setObjectName(QString::fromLatin1(nom));
    twips::placer(label, g, h, l, ht);
    return label;
}
} // namespace

PanneauRenommer::PanneauRenommer(General& g, QWidget* fenetre)
    : PanneauSkin(fenetre, QStringLiteral("RenommerFile"), QStringLiteral("Renommer l'image"))
{
    twips::placer(this, 2640, 3900, 5175, 2295);
    hide();
    libelle(this, "LblNomActuel", QStringLiteral("Nom actuel"), 120, 300, 1095, 195);
    AncNom_ = libelle(this, "AncNom", QString(), 120, 600, 4935, 300);
    libelle(this, "LblNouvNom", QStringLiteral("Nouveau nom"), 120, 960, 1335, 195);
    NouvNom_ = new QLineEdit(this);
    NouvNom_->setObjectName(QStringLiteral("NouvNom"));
    twips::placer(NouvNom_, 120, 1200, 4935, 300);
    CmdRenOK_ = new BoutonSkin(this, QStringLiteral("CmdRenOK"));
    twips::placer(CmdRenOK_, 300, 1620, 600, 600);
    CmdRenOK_->setIconeSvg(QStringLiteral(":/icones/ok.svg"));
    CmdRenOK_->setInfoBulle(QStringLiteral("D'accord !"), &g.InfoBulles);
    CmdRenAnul_ = new BoutonSkin(this, QStringLiteral("CmdRenAnul"));
    twips::placer(CmdRenAnul_, 1140, 1560, 600, 600);
    CmdRenAnul_->setIconeSvg(QStringLiteral(":/icones/annuler.svg"));
    CmdRenAnul_->setInfoBulle(QStringLiteral("Annuler"), &g.InfoBulles);

    connect(NouvNom_, &QLineEdit::textChanged, this, [this](const QString& t) { CmdRenOK_->setEnabled(!t.isEmpty()); });
    connect(NouvNom_, &QLineEdit::returnPressed, this, &PanneauRenommer::confirmer);
    connect(CmdRenOK_, &QAbstractButton::clicked, this, &PanneauRenommer::confirmer);
    connect(CmdRenAnul_, &QAbstractButton::clicked, this, &QWidget::hide);
}

void PanneauRenommer::ouvrir(const QString& chemin, bool prendreFocus)
{
    chemin_ = chemin;
    twips::deplacer(this, 2640, 3900);
    show();
    raise();
    AncNom_->setText(texteAffichable(chemin.mid(chemin.lastIndexOf(QLatin1Char('/')) + 1)));
    NouvNom_->setText(AncNom_->text());
    CmdRenOK_->setEnabled(!NouvNom_->text().isEmpty());
    if (prendreFocus)
        NouvNom_->setFocus();
}

void PanneauRenommer::fermer()
{
    hide();
    chemin_.clear();
}

void PanneauRenommer::confirmer()
{
    const QString nouveauNom = NouvNom_->text();
    if (chemin_.isEmpty())
        return;
    // The name as shown: a name that is not UTF-8 shows otherwise than it is spelt.
    if (nouveauNom == AncNom_->text()) {
        hide();
        return;
    }
    emit renommage(chemin_, nouveauNom);
}

// The new name's box leaves Escape to its panel.
void PanneauRenommer::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        CmdRenAnul_->click();
        return;
    }
    PanneauSkin::keyPressEvent(e);
}
