#include "app/fenetreskin.h"

#include "app/general.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QDialog>
#include <QEvent>
#include <QScreen>

namespace {
class Centrage : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* o, QEvent* e) override
    {
        // Show comes before the window is mapped: the window manager gets it in place.
        if (e->type() == QEvent::Show && !e->spontaneous())
            centrer(static_cast<QWidget*>(o));
        return false;
    }

    static void centrer(QWidget* w)
    {
        QWidget* proprietaire = w->parentWidget() ? w->parentWidget()->window() : nullptr;
        QScreen* ecran = proprietaire ? proprietaire->screen() : w->screen();
        if (!ecran)
            return;
        const QRect zone = ecran->availableGeometry();
        const QRect reference = proprietaire && proprietaire->isVisible() ? proprietaire->frameGeometry() : zone;
        QRect cadre(QPoint(), w->frameGeometry().size());
        cadre.moveCenter(reference.center());
        cadre.moveLeft(qBound(zone.left(), cadre.left(), qMax(zone.left(), zone.right() + 1 - cadre.width())));
        cadre.moveTop(qBound(zone.top(), cadre.top(), qMax(zone.top(), zone.bottom() + 1 - cadre.height())));
        w->move(cadre.topLeft());
    }
};
} // namespace

void centrerAOuverture(QWidget* fenetre)
{
    fenetre->installEventFilter(new Centrage(fenetre));
}

void preparerDialogueSkin(QDialog* d, General& g, double largeur, double hauteur)
{
    d->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    d->setModal(true);
    d->setFixedSize(twips::taille(largeur, hauteur));
    peindreFondWidget(d, g.couleur(Role::FondFenetres));
    centrerAOuverture(d);
}

BoutonSkin* creerBande(QWidget* parent, const QString& nom, double gauche, double haut, double largeur, double hauteur,
                       Qt::Orientation sens)
{
    auto* b = new BoutonSkin(parent, nom);
    twips::placer(b, gauche, haut, largeur, hauteur);
    b->setBande(true);
    b->setSens(sens);
    return b;
}

BoutonSkin* creerBande(QWidget* parent, const QString& nom, double gauche, double haut, double largeur, double hauteur,
                       const QColor& debut, const QColor& fin)
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
    auto* b =
        creerBouton(parent, QStringLiteral("CmdDeplaceFen"), texte, 0, 0, largeur, 315, g.couleur(Role::DebutDegrade),
                    g.couleur(Role::FinDegrade), g.couleur(Role::TexteBoutons), g.couleur(Role::Lumiere));
    b->setDeplaceFenetre(true);
    b->setInfoBulle(QStringLiteral("Déplacement de la fenêtre"), &g.InfoBulles);
    return b;
}

BoutonSkin* creerFermer(QDialog* d, General& g, double gauche)
{
    auto* b = creerBouton(d, QStringLiteral("CmdFermer"), QStringLiteral("x"), gauche, 0, 300, 315,
                          g.couleur(Role::DebutDegrade), g.couleur(Role::FinDegrade), g.couleur(Role::TexteBoutons),
                          g.couleur(Role::Lumiere));
    b->setInfoBulle(QStringLiteral("Fermer"), &g.InfoBulles);
    QObject::connect(b, &BoutonSkin::clicked, d, &QDialog::accept);
    return b;
}
