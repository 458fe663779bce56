#include "app/fenetreskin.h"

#include "app/general.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QDialog>

void preparerDialogueSkin(QDialog* d, General& g, double largeur, double hauteur)
{
    d->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    d->setModal(true);
    d->setFixedSize(twips::taille(largeur, hauteur));
    peindreFondWidget(d, g.couleur(Role::FondFenetres));
}

BoutonSkin* creerBande(QWidget* parent, const QString& nom, double gauche, double haut, double largeur,
                       double hauteur, Qt::Orientation sens)
{
    auto* b = new BoutonSkin(parent, nom);
    twips::placer(b, gauche, haut, largeur, hauteur);
    b->setBande(true);
    b->setSens(sens);
    return b;
}

BoutonSkin* creerBande(QWidget* parent, const QString& nom, double gauche, double haut, double largeur,
                       double hauteur, const QColor& debut, const QColor& fin)
{
    BoutonSkin* b = creerBande(parent, nom, gauche, haut, largeur, hauteur);
    b->setDegrade(debut, fin);
    return b;
}

BoutonSkin* creerBouton(QWidget* parent, const QString& nom, const QString& texte, double gauche, double haut,
                        double largeur, double hauteur, const QColor& debut, const QColor& fin,
                        const QColor& couleurTexte, const QColor& lumiere)
{
    auto* b = new BoutonSkin(parent, nom, texte);
    twips::placer(b, gauche, haut, largeur, hauteur);
    b->setDegrade(debut, fin);
    b->setCouleurTexte(couleurTexte);
    b->setCouleurLumiere(lumiere);
    return b;
}

BoutonSkin* creerTitre(QWidget* parent, General& g, const QString& texte, double largeur)
{
    auto* b = creerBouton(parent, QStringLiteral("CmdDeplaceFen"), texte, 0, 0, largeur, 315,
                          g.couleur(Role::DebutDegrade), g.couleur(Role::FinDegrade),
                          g.couleur(Role::TexteBoutons), g.couleur(Role::Lumiere));
    b->setDeplaceFenetre(true);
    b->setInfoBulle(QStringLiteral("Déplacement de la fenêtre"), &g.InfoBulles);
    return b;
}

BoutonSkin* creerFermer(QDialog* d, General& g, double gauche)
{
    auto* b = creerBouton(d, QStringLiteral("CmdFermer"), QStringLiteral("x"), gauche, 0, 300, 315,
                          g.couleur(Role::DebutDegrade), g.couleur(Role::FinDegrade),
                          g.couleur(Role::TexteBoutons), g.couleur(Role::Lumiere));
    b->setInfoBulle(QStringLiteral("Fermer"), &g.InfoBulles);
    QObject::connect(b, &BoutonSkin::clicked, d, &QDialog::accept);
    return b;
}
