#include "colours/fencolors.h"

#include "app/fenetreskin.h"
#include "app/general.h"
#include "app/skin.h"
#include "app/twips.h"
#include "colours/fenfond.h"

#include <QLabel>
#include <QPainter>
#include <QScrollBar>

// ---------------------------------------------------------------- ZoneCouleur

ZoneCouleur::ZoneCouleur(QWidget* parent, const QString& nom) : QWidget(parent)
{
    setObjectName(nom);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZoneCouleur::setCouleur(const QColor& c)
{
    if (c == couleur_)
        return;
    couleur_ = c;
    update();
}

void ZoneCouleur::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), couleur_);
    // A sunken edge, as picture boxes have.
    p.setPen(QColor(0, 0, 0, 150));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(QColor(255, 255, 255, 120));
    p.drawLine(1, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 1, width() - 1, height() - 1);
}

// ---------------------------------------------------------------- FenColors

namespace {
// A slider position p stands for the intensity 255 - p: the top is full colour.
int intensite(const QScrollBar* s)
{
    return 255 - s->value();
}
} // namespace

FenColors::FenColors(General& g, QWidget* parent, FenFond* fond)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), g_(g), fond_(fond)
{
    setObjectName(QStringLiteral("FenColors"));
    setWindowTitle(QStringLiteral("Fond d'écran en dégradé de couleurs"));
    positionsInitiales_ = g.fond.positions;
    creerCadre();
    creerPanneaux();
    appliquerSchema();
    setFixedSize(twips::taille(5460, 3690));
    centrerAOuverture(this);

    // Set every area here: a slider already at its position sends no change.
    for (int k = 0; k < 3; ++k)
        glissieres_[k]->setValue(positionsInitiales_[k]);
    for (int k = 0; k < 3; ++k)
        glissiereChangee(k);
}

void FenColors::creerCadre()
{
    titre_ = creerTitre(this, g_, QStringLiteral("Fond d'écran en dégradé de couleurs"), 5460);

    const auto bande = [this](const char* nom, double g, double h, double l, double ht) {
        return creerBande(this, QString::fromLatin1(nom), g, h, l, ht, l < ht ? Qt::Horizontal : Qt::Vertical);
    };
    bandesDirectes_ = {bande("Forme2", 0, 600, 600, 1200), bande("Forme7", 0, 3060, 5460, 315)};
    bandesInverses_ = {bande("Forme1", 0, 300, 5460, 315), bande("Forme3", 0, 1800, 600, 1260),
                       bande("Forme6", 0, 3375, 5460, 315)};

    ok_ = new BoutonSkin(this, QStringLiteral("CmdOK"));
    ok_->setIconeSvg(QStringLiteral(":/icones/ok.svg"));
    ok_->setInfoBulle(QStringLiteral("D'accord !/Appel de la rubrique d'aide"), &g_.InfoBulles);
    twips::placer(ok_, 4860, 600, 600, 1200);
    connect(ok_, &BoutonSkin::clicked, this, &FenColors::valider);
    connect(ok_, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            OuvrirAide(g_, QStringLiteral("couleur_du_fond.htm"));
    });

    annul_ = new BoutonSkin(this, QStringLiteral("CmdAnnul"));
    annul_->setIconeSvg(QStringLiteral(":/icones/annuler.svg"));
    annul_->setInfoBulle(QStringLiteral("Annuler"), &g_.InfoBulles);
    twips::placer(annul_, 4860, 1800, 600, 1260);
    connect(annul_, &BoutonSkin::clicked, this, &FenColors::reject);
}

void FenColors::creerPanneaux()
{
    fondCouleur_ = new PanneauSkin(this, QStringLiteral("FondCouleur"), QStringLiteral("Couleur du fond"));
    twips::placer(fondCouleur_, 600, 600, 2055, 2475);
    melange_ = new ZoneCouleur(fondCouleur_, QStringLiteral("Image4"));
    twips::placer(melange_, 60, 300, 1905, 2040);

    fondReglage_ = new PanneauSkin(this, QStringLiteral("FondReglage"), QStringLiteral("Réglage des couleurs"));
    twips::placer(fondReglage_, 2640, 600, 2235, 2475);
    // Runs across, so that its caption never sits on the light end of the gradient.
    fondReglage_->setSens(Qt::Horizontal);

    const struct {
        const char* image;
        const char* cadre;
        const char* glissiere;
        double gauche;
    } colonnes[] = {
        {"Image1", "Label2", "VSlide1", 60},
        {"Image2", "Label1", "VSlide2", 780},
        {"Image3", "Label3", "VSlide3", 1500},
    };
    for (int k = 0; k < 3; ++k) {
        const auto& c = colonnes[k];
        parts_[k] = new ZoneCouleur(fondReglage_, QString::fromLatin1(c.image));
        twips::placer(parts_[k], c.gauche, 300, k == 2 ? 540 : 555, 360);

        auto* cadre = new QLabel(fondReglage_);
        cadre->setObjectName(QString::fromLatin1(c.cadre));
        cadre->setFrameStyle(QFrame::Box | QFrame::Plain);
        twips::placer(cadre, c.gauche, 750, 555, 1575);

        auto* s = new QScrollBar(Qt::Vertical, fondReglage_);
        s->setObjectName(QString::fromLatin1(c.glissiere));
        s->setRange(0, 255);
        s->setSingleStep(1);
        s->setPageStep(10);
        twips::placer(s, c.gauche + 30, 780, 495, 1515);
        glissieres_[k] = s;
        connect(s, &QScrollBar::valueChanged, this, [this, k] { glissiereChangee(k); });
    }
}

void FenColors::appliquerSchema()
{
    const QColor debut = g_.couleur(Role::DebutDegrade);
    const QColor fin = g_.couleur(Role::FinDegrade);
    titre_->setDegrade(debut, fin);
    ok_->setDegrade(debut, fin);
    annul_->setDegrade(fin, debut);
    for (BoutonSkin* b : bandesDirectes_)
        b->setDegrade(debut, fin);
    for (BoutonSkin* b : bandesInverses_)
        b->setDegrade(fin, debut);
    fondCouleur_->setDegrade(debut, fin);
    fondReglage_->setDegrade(fin, debut);
    titre_->setCouleurTexte(g_.couleur(Role::TexteBoutons));
    titre_->setCouleurLumiere(g_.couleur(Role::Lumiere));
    fondCouleur_->setCouleurTexte(g_.couleur(Role::AutresTextes));
    fondReglage_->setCouleurTexte(g_.couleur(Role::AutresTextes));
    peindreFondWidget(this, g_.couleur(Role::FondFenetres));
}

QColor FenColors::couleurMelangee() const
{
    return QColor(intensite(glissieres_[0]), intensite(glissieres_[1]), intensite(glissieres_[2]));
}

void FenColors::glissiereChangee(int k)
{
    const int v = intensite(glissieres_[k]);
    parts_[k]->setCouleur(QColor(k == 0 ? v : 0, k == 1 ? v : 0, k == 2 ? v : 0));
    melange_->setCouleur(couleurMelangee());
    g_.fond.positions[k] = glissieres_[k]->value();
}

void FenColors::valider()
{
    for (int k = 0; k < 3; ++k)
        g_.fond.positions[k] = glissieres_[k]->value();
    g_.fond.couleur = couleurMelangee();
    if (fond_)
        fond_->setCouleur(g_.fond.couleur);
    accept();
}

void FenColors::reject()
{
    // Cancel leaves everything as it was, the positions the backdrop's gradient
    // and the next opening start from included.
    for (int k = 0; k < 3; ++k)
        g_.fond.positions[k] = positionsInitiales_[k];
    QDialog::reject();
}
