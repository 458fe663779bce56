#include "dialogs/apropos.h"

#include "app/fenetreskin.h"
#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QFrame>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
constexpr double Largeur = 5340;
constexpr double Hauteur = 3555;
constexpr int IntervalleMs = 50;
constexpr int NbLignes = 20;
} // namespace

// Image2: the text canvas. It keeps the printed lines and where each was printed.
class ToileApropos : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    struct Ligne {
        QString texte;
        int taille; // points
        int haut;   // pixels, in the canvas
    };
    QList<Ligne> lignes;
    QFont police;
    QColor couleurTexte;
    QColor fond;

signals:
    void clique();

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), fond);
        QIcon(QStringLiteral(":/icones/ormelle.svg")).paint(&p, QRect(0, 0, 32, 32));
        p.setPen(couleurTexte);
        for (const Ligne& l : lignes) {
            QFont f = police;
            f.setPointSize(l.taille);
            p.setFont(f);
            p.drawText(QPoint(0, l.haut + QFontMetrics(f).ascent()), l.texte);
        }
    }
    void mousePressEvent(QMouseEvent* e) override { presse_ = e->button() == Qt::LeftButton; }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (presse_ && rect().contains(e->position().toPoint()))
            emit clique();
        presse_ = false;
    }

private:
    bool presse_ = false;
};

const QUrl Apropos::AdresseSite(QStringLiteral("https://www.talvenor.example/"));

QStringList Apropos::lignesTexte()
{
    return {
        QStringLiteral("      Ormelle"),
        QString(),
        QStringLiteral("             Le visualiseur d'images"),
        QStringLiteral("                       pour Linux"),
        QString(),
        QStringLiteral("              Slideshow, miniatures"),
        QStringLiteral("         Affichage de commentaires"),
        QStringLiteral("                   Musique et sons"),
        QString(),
        QStringLiteral("         Version 4.11 - Octobre 2002"),
        QString(),
        QStringLiteral("            Conception : Talvenor"),
        QStringLiteral("      Ormelle pour Linux : Talvenor"),
        QString(),
        QStringLiteral("            © Talvenor 1999-2025"),
        QString(),
        QString(),
        QStringLiteral("          Talvenor"),
        QStringLiteral("      7, rue Brune"),
        QStringLiteral("   99000 Valombre"),
    };
}

bool Apropos::grandeLigne(int i)
{
    return i == 0 || i > 16;
}

Apropos::Apropos(General& g, QWidget* parent) : QDialog(parent), g_(g)
{
    setObjectName(QStringLiteral("Apropos"));
    construire();
    mettreEnPage();
    minuterie_ = new QTimer(this);
    minuterie_->setObjectName(QStringLiteral("Minuterie1"));
    minuterie_->setInterval(IntervalleMs);
    connect(minuterie_, &QTimer::timeout, this, &Apropos::defiler);
    decalage_ = 0;
    minuterie_->start();
}

QWidget* Apropos::toile() const
{
    return image2_;
}

QWidget* Apropos::vue() const
{
    return vue_;
}

void Apropos::construire()
{
    General& g = g_;
    const QColor debut = g.couleur(Role::DebutDegrade);
    const QColor fin = g.couleur(Role::FinDegrade);
    preparerDialogueSkin(this, g, Largeur, Hauteur);

    creerTitre(this, g, QStringLiteral("A propos d'Ormelle"), 5040);
    creerFermer(this, g, 5040);
    creerBande(this, QStringLiteral("Forme1"), 0, 300, Largeur, 315, fin, debut);
    creerBande(this, QStringLiteral("Forme6"), 0, 3240, Largeur, 315, fin, debut);
    creerBande(this, QStringLiteral("Forme2"), 0, 600, 600, 1200, debut, fin);
    creerBande(this, QStringLiteral("Forme3"), 0, 1800, 600, 1200, fin, debut);
    creerBande(this, QStringLiteral("Forme4"), 4740, 600, 600, 1200, debut, fin);
    creerBande(this, QStringLiteral("Forme5"), 4740, 1800, 600, 1200, fin, debut);

    auto* image1 = new QFrame(this);
    image1->setObjectName(QStringLiteral("Image1"));
    twips::placer(image1, 585, 600, 4155, 2355);
    image1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    image1->setLineWidth(2);
    peindreFondWidget(image1, g.couleur(Role::Visualisation));
    // The inside of the frame, so that the rising canvas never paints over the border.
    vue_ = new QWidget(image1);
    vue_->setObjectName(QStringLiteral("VueImage1"));
    vue_->setGeometry(image1->contentsRect());
    peindreFondWidget(vue_, g.couleur(Role::Visualisation));

    image2_ = new ToileApropos(vue_);
    image2_->setObjectName(QStringLiteral("Image2"));
    image2_->fond = g.couleur(Role::Visualisation);
    image2_->couleurTexte = g.couleur(Role::AutresTextes);
    connect(image2_, &ToileApropos::clique, this, &Apropos::basculerDefilement);

    auto* site =
        creerBouton(this, QStringLiteral("CmdSite"), QStringLiteral("Visitez notre site : ") + AdresseSite.host(), 0,
                    2940, Largeur, 315, debut, fin, g.couleur(Role::TexteBoutons), g.couleur(Role::Lumiere));
    site->setCursor(Qt::PointingHandCursor);
    connect(site, &BoutonSkin::clicked, this, [this] { g_.services.ouvrirUrl(AdresseSite); });
}

void Apropos::mettreEnPage()
{
    QFont police(QStringLiteral("Verdana"));
    police.setPointSize(10);
    police.setBold(true);
    image2_->police = police;

    const int hauteurVue = vue_->height();
    // The height of the text "8" is the height of a line of the font, as printing measures it.
    const int hauteurHuit = QFontMetrics(police).height();
    image2_->setGeometry(0, 0, vue_->width(), 42 * hauteurHuit + 2 * hauteurVue);

    // The first line is printed one viewport height down: the viewport starts empty.
    int y = hauteurVue;
    const QStringList textes = lignesTexte();
    for (int i = 0; i < NbLignes; ++i) {
        QFont f = police;
        f.setPointSize(grandeLigne(i) ? 18 : 10);
        image2_->lignes.append({textes.at(i), f.pointSize(), y});
        y += QFontMetrics(f).height();
    }
}

void Apropos::defiler()
{
    image2_->move(0, decalage_);
    decalage_ -= 1;
    if (decalage_ < -264.0 / 500.0 * image2_->height())
        decalage_ = 0;
}

void Apropos::basculerDefilement()
{
    if (minuterie_->isActive())
        minuterie_->stop();
    else
        minuterie_->start();
}

#include "apropos.moc"
