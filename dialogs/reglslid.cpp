#include "dialogs/reglslid.h"

#include "app/fenetreskin.h"
#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "core/schema.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QScrollBar>

namespace {
QFont verdana(double points)
{
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

// The panel's gradient runs to a light end where light text would fade: a soft
// shadow keeps every caption readable over the whole panel.
void ombrer(QWidget* w)
{
    auto* ombre = new QGraphicsDropShadowEffect(w);
    ombre->setOffset(1, 1);
    ombre->setBlurRadius(3);
    ombre->setColor(QColor(0, 0, 0, 150));
    w->setGraphicsEffect(ombre);
}

QScrollBar* defilement(QWidget* parent, const QString& nom, int maximum, double g, double h, double l)
{
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(nom);
    s->setRange(1, maximum);
    s->setSingleStep(1);
    s->setPageStep(10);
    twips::placer(s, g, h, l, 315);
    return s;
}
} // namespace

ReglSlid::ReglSlid(General& g, QWidget* parent, bool depuisPleinEcran)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), g_(g)
{
    setObjectName(QStringLiteral("ReglSlid"));
    setWindowTitle(QStringLiteral("Réglages du \"SlideShow\""));
    creerCadre();
    creerPause();
    creerTaille();
    creerTransition();
    creerBas();
    appliquerSchema();
    setFixedSize(twips::taille(5820, 6495));
    centrerAOuverture(this);
    charger(depuisPleinEcran);
}

// ---------------------------------------------------------------- building

void ReglSlid::creerCadre()
{
    titre_ = creerTitre(this, g_, QStringLiteral("Réglages du \"SlideShow\""), 5820);

    // Neighbouring bands run in opposite directions, so the frame reads as woven.
    const auto bande = [this](const char* nom, double g, double h, double l, double ht) {
        return creerBande(this, QString::fromLatin1(nom), g, h, l, ht, l < ht ? Qt::Horizontal : Qt::Vertical);
    };
    bandesDirectes_ = {bande("Forme2", 0, 600, 600, 2640), bande("Forme4", 5220, 600, 600, 2640),
                       bande("Forme6", 0, 5880, 5820, 315)};
    bandesInverses_ = {bande("Forme1", 0, 300, 5820, 315), bande("Forme3", 0, 3240, 600, 2670),
                       bande("Forme5", 5220, 3240, 600, 2670), bande("Forme7", 0, 6180, 5820, 315)};

    fond_ = new PanneauSkin(this, QStringLiteral("FondReglages"));
    twips::placer(fond_, 600, 615, 4635, 5265);
}

QLabel* ReglSlid::libelle(const char* nom, double g, double h, double l, double ht, const QString& texte)
{
    auto* lbl = new QLabel(texte, fond_);
    lbl->setObjectName(QString::fromUtf8(nom));
    lbl->setFont(verdana(8.25));
    twips::placer(lbl, g, h, l, ht);
    if (!texte.isEmpty())
        ombrer(lbl);
    libelles_ << lbl;
    return lbl;
}

QLabel* ReglSlid::cadre(const char* nom, double g, double h, double l, double ht)
{
    QLabel* lbl = libelle(nom, g, h, l, ht, QString());
    lbl->setFrameStyle(QFrame::Box | QFrame::Plain);
    lbl->setLineWidth(1);
    return lbl;
}

QLabel* ReglSlid::afficheur(const char* nom, double g, double h, double l, double ht)
{
    QLabel* lbl = cadre(nom, g, h, l, ht);
    lbl->setFont(verdana(11.25));
    lbl->setAlignment(Qt::AlignCenter);
    ombrer(lbl);
    return lbl;
}

QCheckBox* ReglSlid::coche(const QString& nom, double g, double h)
{
    auto* c = new QCheckBox(fond_);
    c->setObjectName(nom);
    c->setFocusPolicy(Qt::NoFocus);
    twips::placer(c, g, h, 195, 195);
    return c;
}

void ReglSlid::creerPause()
{
    libelle("LblPause", 240, 120, 3930, 195, QStringLiteral("Pause entre deux images (en secondes)"));
    cadre("Label10", 240, 360, 3015, 375);
    defilPause_ = defilement(fond_, QStringLiteral("DéfilPause"), 60, 270, 390, 2955);
    txtPause_ = afficheur("TxtPause", 3420, 360, 735, 375);
    connect(defilPause_, &QScrollBar::valueChanged, this, [this](int v) {
        g_.diaporama.dureePause = v;
        txtPause_->setText(QString::number(v));
    });
}

void ReglSlid::creerTaille()
{
    libelle("LblTaille", 120, 900, 4395, 195, QStringLiteral("Adapter la taille de l'image à celle de l'écran"));
    // Listed top to bottom in the order 0, 2, 1; each box's id is its fitting mode.
    const struct {
        int mode;
        const char* libelle;
        double haut;
        double largeur;
        const char* texte;
    } lignes[] = {
        {0, "LblTaille0", 1200, 2895, "en respectant les proportions"},
        {2, "LblTaille1", 1500, 2160, "image sur tout l'écran"},
        {1, "LblTaille2", 1800, 1470, "ne pas adapter"},
    };
    // An exclusive group: clicking the box already checked leaves it checked,
    // while nothing at all is checked for a stored mode that is no mode.
    taille_ = new QButtonGroup(this);
    taille_->setExclusive(true);
    for (const auto& l : lignes) {
        QCheckBox* c = coche(QStringLiteral("Taille%1").arg(l.mode), 240, l.haut);
        c->setProperty("index", l.mode);
        taille_->addButton(c, l.mode);
        libelle(l.libelle, 540, l.haut, l.largeur, 195, QString::fromUtf8(l.texte));
    }
    connect(taille_, &QButtonGroup::idClicked, this, &ReglSlid::choisirTaille);
}

void ReglSlid::creerTransition()
{
    libelle("LblTransition", 240, 2220, 3660, 195, QStringLiteral("Effet de transition entre deux images"));
    libelle("LblDuree", 240, 2460, 1530, 195, QStringLiteral("Durée (vitesse)"));
    cadre("Label11", 240, 2700, 2295, 375);
    dureeTransit_ = defilement(fond_, QStringLiteral("DureeTransit"), 100, 270, 2730, 2235);
    txtTransit_ = afficheur("TxtTransit", 2700, 2700, 735, 375);
    connect(dureeTransit_, &QScrollBar::valueChanged, this, [this](int v) {
        g_.diaporama.dureeTransition = v;
        txtTransit_->setText(QString::number(v));
    });

    coulTransit_ = new BoutonSkin(fond_, QStringLiteral("CmdCoulTransit"), QStringLiteral("Couleur"));
    coulTransit_->setAvecDegrade(false);
    coulTransit_->setDegrade(Qt::black, Qt::black);
    coulTransit_->setLumiereTexte(false);
    coulTransit_->setInfoBulle(QStringLiteral("Choix de la couleur de l'effet de transition"), &g_.InfoBulles);
    twips::placer(coulTransit_, 3540, 2520, 915, 855);
    connect(coulTransit_, &BoutonSkin::clicked, this, &ReglSlid::choisirCouleur);

    cocheTransit_ = coche(QStringLiteral("CocheTransit"), 240, 3180);
    libelle("LblTransit", 540, 3180, 2265, 195, QStringLiteral("Effet de transition actif"));
    connect(cocheTransit_, &QCheckBox::toggled, this, [this](bool oui) { g_.diaporama.effetTransition = oui; });

    cocheAfAl_ = coche(QStringLiteral("CocheAfAl"), 240, 3600);
    libelle("LblAfAl", 540, 3600, 3825, 195, QStringLiteral("Ordre d'affichage des images aléatoire"));
    connect(cocheAfAl_, &QCheckBox::toggled, this, [this](bool oui) { g_.diaporama.ordreAleatoire = oui; });
}

void ReglSlid::creerBas()
{
    rep_ = new BoutonSkin(fond_, QStringLiteral("CmdRep"));
    rep_->setInfoBulle(QStringLiteral("Choix du dossier contenant les images du slideshow"), &g_.InfoBulles);
    twips::placer(rep_, 240, 4020, 915, 795);
    connect(rep_, &BoutonSkin::clicked, this, &ReglSlid::demanderDossier);

    libelle("LblEnregistrer", 1680, 4050, 2370, 195, QStringLiteral("Enregistrer les réglages"));
    cocheEnregistrer_ = coche(QStringLiteral("CocheEnregistrer"), 4140, 4080);
    connect(cocheEnregistrer_, &QCheckBox::toggled, this, [this](bool oui) { g_.EnregistrerReglages = oui; });

    const struct {
        BoutonSkin** bouton;
        const char* nom;
        double gauche;
        const char* icone;
        const char* infoBulle;
    } boutons[] = {
        {&ok_, "CmdOK", 1860, ":/icones/ok.svg", "Prend en compte les réglages du slideshow"},
        {&annul_, "CmdAnnul", 2700, ":/icones/annuler.svg", "Annuler"},
        {&aide_, "CmdAide", 3480, ":/icones/aide2.svg", "Appel de la rubrique d'aide"},
    };
    for (const auto& b : boutons) {
        *b.bouton = new BoutonSkin(fond_, QString::fromLatin1(b.nom));
        (*b.bouton)->setIconeSvg(QString::fromLatin1(b.icone));
        (*b.bouton)->setInfoBulle(QString::fromUtf8(b.infoBulle), &g_.InfoBulles);
        twips::placer(*b.bouton, b.gauche, 4560, 615, 495);
    }
    connect(ok_, &BoutonSkin::clicked, this, &ReglSlid::valider);
    connect(annul_, &BoutonSkin::clicked, this, &ReglSlid::reject);
    connect(aide_, &BoutonSkin::clicked, this, [this] { OuvrirAide(g_, QStringLiteral("slideshow.htm")); });
}

void ReglSlid::appliquerSchema()
{
    const QColor debut = g_.couleur(Role::DebutDegrade);
    const QColor fin = g_.couleur(Role::FinDegrade);
    const QColor autres = g_.couleur(Role::AutresTextes);
    titre_->setDegrade(debut, fin);
    for (BoutonSkin* b : bandesDirectes_)
        b->setDegrade(debut, fin);
    for (BoutonSkin* b : bandesInverses_)
        b->setDegrade(fin, debut);
    fond_->setDegrade(debut, fin);
    for (BoutonSkin* b : {titre_, rep_}) {
        b->setCouleurTexte(g_.couleur(Role::TexteBoutons));
        b->setCouleurLumiere(g_.couleur(Role::Lumiere));
    }
    // The picture buttons have no caption; they share the panel's gradient, reversed so they stand out.
    for (BoutonSkin* b : {ok_, annul_, aide_})
        b->setDegrade(fin, debut);
    for (QLabel* l : libelles_)
        peindreLibelle(l, autres);
    peindreFondWidget(this, g_.couleur(Role::FondFenetres));
}

// ---------------------------------------------------------------- load and handlers

void ReglSlid::charger(bool depuisPleinEcran)
{
    instantane_ = g_.diaporama;

    // Setting a control runs its handler, which writes back the value just read:
    // nothing changes except that the display labels fill in.
    defilPause_->setValue(instantane_.dureePause);
    txtPause_->setText(QString::number(defilPause_->value()));
    if (const std::optional<ajustement::Mode> mode = instantane_.adaptation())
        taille_->button(*mode)->setChecked(true);
    dureeTransit_->setValue(instantane_.dureeTransition);
    txtTransit_->setText(QString::number(dureeTransit_->value()));
    coulTransit_->setCouleurTexte(g_.diaporama.couleurTransition());
    cocheTransit_->setChecked(instantane_.effetTransition);
    cocheAfAl_->setChecked(instantane_.ordreAleatoire);

    rep_->setEnabled(depuisPleinEcran);
    rep_->setText(depuisPleinEcran ? QStringLiteral("Dossier") : QString());

    // The flag outlives the dialog: the box shows it as it stands, so what the
    // user sees is what OK will do.
    cocheEnregistrer_->setChecked(g_.EnregistrerReglages);
}

void ReglSlid::choisirTaille(int mode)
{
    g_.diaporama.setAdaptation(ajustement::Mode(mode));
}

void ReglSlid::choisirCouleur()
{
    // A cancel keeps the colour in force; a colour is written as its decimal number.
    const std::optional<QColor> c = g_.services.choisirCouleur(this, g_.diaporama.couleurTransition());
    if (!c || !c->isValid())
        return;
    g_.diaporama.setCouleurTransition(*c);
    coulTransit_->setCouleurTexte(g_.diaporama.couleurTransition());
}

void ReglSlid::valider()
{
    if (g_.EnregistrerReglages)
        g_.diaporama.ecrire(g_.reglages, g_.DossierCourant());
    accept();
}

void ReglSlid::reject()
{
    g_.diaporama = instantane_;
    QDialog::reject();
}

void ReglSlid::demanderDossier()
{
    emit dossierDemande();
    // Hidden, not closed: the folder chooser shows this same dialog again.
    done(Dossier);
}
