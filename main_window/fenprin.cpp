#include "main_window/fenprin.h"

#include "app/fenetreskin.h"
#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "main_window/controlesfenprin.h"

#include "main_window/navigateur.h"
#include "main_window/panneaucopie.h"

#include <QDialog>
#include <QEvent>
#include <QLabel>

namespace {
// Icon bar: name, picture, left (twips), height, tooltip (left-click action, then after
// "/" the right-button action); all 600 wide at top 60.
const struct {
    const char* nom;
    const char* icone;
    int gauche;
    int hauteur;
    const char* infoBulle;
    Icone bouton;
} Icones[] = {
    {"CmdExplorer", "explorer", 1290, 480, "Gestionnaire de fichiers", Icone::CmdExplorer},
    {"CmdRenommer", "renommer", 1920, 480, "Renommer l'image", Icone::CmdRenommer},
    {"CmdCopFich", "copfich", 2550, 480, "Copier le fichier d'image", Icone::CmdCopFich},
    {"CmdSupFic", "supfic", 3180, 480, "Supprimer l'image", Icone::CmdSupFic},
    {"CmdCopImg", "copimg", 3810, 480, "Copier l'image dans le presse-papiers", Icone::CmdCopImg},
    {"CmdSlideShow", "slideshow", 4440, 480, "SlideShow/Réglage du slideshow", Icone::CmdSlideShow},
    {"CmdFond", "fond", 5070, 480, "Affichage du fond d'écran/Choix de la couleur", Icone::CmdFond},
    {"CmdMusique", "musique", 5700, 480, "Musique et sons", Icone::CmdMusique},
    {"CmdPaint", "paint", 6330, 480, "Programme de dessin", Icone::CmdPaint},
    {"CmdPressPap", "presspap", 6960, 480, "Appel du presse-papiers", Icone::CmdPressPap},
    {"CmdMiniatures", "miniatures", 7590, 540, "Affichage des miniatures", Icone::CmdMiniatures},
    {"CmdDorvik", "dorvik", 8220, 480, "Visualisation des images avec Dorvik", Icone::CmdDorvik},
    {"CmdApropos", "apropos", 8850, 480,
     "A propos d'Ormelle, couleurs et options/Affichage de la fenêtre d'avertissement", Icone::CmdApropos},
    {"CmdAide", "aide", 9480, 480, "Appel de l'aide sur la fenêtre/Appel de l'aide générale", Icone::CmdAide},
};

BoutonSkin* bouton(QWidget* parent, const char* nom, const QString& texte, int g, int h, int l, int ht)
{
    auto* b = new BoutonSkin(parent, QString::fromLatin1(nom), texte);
    twips::placer(b, g, h, l, ht);
    return b;
}

BoutonSkin* bande(QWidget* parent, const char* nom, int g, int h, int l, int ht, Qt::Orientation sens)
{
    return creerBande(parent, QString::fromLatin1(nom), g, h, l, ht, sens);
}
} // namespace

FenPrin::FenPrin(General& general, MontrerModal montrerModal, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), g(general), montrerModal_(std::move(montrerModal))
{
    setObjectName(QStringLiteral("FenPrin"));
    setWindowTitle(g.TitreProgramme);
    setWindowIcon(QIcon(QStringLiteral(":/icones/ormelle.svg")));
    setFixedSize(twips::taille(10455, 6945));
    setAcceptDrops(true);
    construireCadre();
    construireNavigateur();
    construireBarreIcones();
    construireMiniatures();
    construirePopUpInfos();
    construirePanneaux();
    construireSons();
    relierCadre();
    relierBarreIcones();
    relierPanneaux();
    construireRenommer();
    FondCopie = new PanneauCopie(this);
    relierFichiers();
    relierSons();
    ProcCoulDefUtil();
}

FenPrin::~FenPrin()
{
    // The picture service outlives the window: work still running must not call back into it.
    for (const quint64 ticket : {ticketCopieImage_, ticketParent_})
        if (ticket)
            g.images.annuler(ticket);
}

void FenPrin::construireCadre()
{
    CmdDeplaceFen = bouton(this, "CmdDeplaceFen", g.TitreProgramme, 0, 0, 9855, 315);
    CmdDeplaceFen->setDeplaceFenetre(true);
    CmdDeplaceFen->setInfoBulle(QStringLiteral("Déplacement de la fenêtre"), &g.InfoBulles);
    CmdReduire = bouton(this, "CmdReduire", QStringLiteral("-"), 9855, 0, 300, 315);
    CmdReduire->setInfoBulle(QStringLiteral("Réduire"), &g.InfoBulles);
    CmdFermer = bouton(this, "CmdFermer", QStringLiteral("x"), 10155, 0, 300, 315);
    CmdFermer->setInfoBulle(QStringLiteral("Fermer"), &g.InfoBulles);
    bande(this, "Forme4", 0, 315, 10455, 315, Qt::Vertical);
    bande(this, "Forme1", 0, 615, 600, 2520, Qt::Vertical);
    bande(this, "Forme2", 0, 3135, 600, 2550, Qt::Vertical);
    bande(this, "Forme5", 9855, 615, 600, 2520, Qt::Vertical);
    bande(this, "Forme6", 9855, 3135, 600, 2550, Qt::Vertical);
    Forme3 = bande(this, "Forme3", 0, 5685, 10455, 255, Qt::Vertical);
    Forme3->setAlignementTexte(Qt::AlignLeft | Qt::AlignVCenter);
    bande(this, "Forme7", 0, 6555, 10455, 195, Qt::Vertical);
    bande(this, "Forme8", 0, 6750, 10455, 195, Qt::Vertical);
}

void FenPrin::construireBarreIcones()
{
    auto& b = icones_;
    FondIcones = new PanneauSkin(this, QStringLiteral("FondIcones"));
    twips::placer(FondIcones, 0, 5940, 10455, 615);
    CmdTypExt = bouton(FondIcones, "CmdTypExt", QStringLiteral("  *.*"), 240, 60, 1095, 480);
    CmdTypExt->setIconeSvg(QStringLiteral(":/icones/typext.svg"));
    CmdTypExt->setAlignementTexte(Qt::AlignLeft | Qt::AlignVCenter);
    CmdTypExt->setInfoBulle(
        QStringLiteral("Choix du format d'image (bmp, dib, gif, jpg, rle, wmf)/Masquer la zone de fichiers"),
        &g.InfoBulles);
    for (const auto& i : Icones) {
        BoutonSkin* icone = bouton(FondIcones, i.nom, QString(), i.gauche, 60, 600, i.hauteur);
        icone->setIconeSvg(QStringLiteral(":/icones/%1.svg").arg(QLatin1String(i.icone)));
        // The icon buttons keep their own colours whatever the scheme.
        icone->setDegrade(QColor(0, 150, 150), QColor(0, 88, 96));
        icone->setInfoBulle(QString::fromUtf8(i.infoBulle), &g.InfoBulles);
        b[i.bouton] = icone;
    }
    CmdTypExt->setDegrade(QColor(0, 150, 150), QColor(0, 88, 96));
}

void FenPrin::relierCadre()
{
    connect(CmdFermer, &QAbstractButton::clicked, this, [] { FermerTout(); });
    connect(CmdReduire, &QAbstractButton::clicked, this, [this] { showMinimized(); });
}

void FenPrin::relierBarreIcones()
{
    const auto clic = [this](BoutonSkin* b, auto action) { connect(b, &QAbstractButton::clicked, this, action); };
    const auto droit = [this](BoutonSkin* b, auto action) {
        connect(b, &BoutonSkin::sourisEnfoncee, this, [action](Qt::MouseButton bouton) {
            if (bouton == Qt::RightButton)
                action();
        });
    };
    const auto& b = icones_;
    clic(CmdTypExt, [this] {
        masquerPanneaux(true, true, false, true);
        navigateur_->basculerPanneauFormats();
    });
    droit(CmdTypExt, [this] { navigateur_->boutonDroitTypExt(); });
    clic(b[Icone::CmdSlideShow], [this] { lancerDiaporama(); });
    connect(b[Icone::CmdSlideShow], &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton bouton) {
        masquerPanneaux(true, false, false, false);
        if (bouton == Qt::RightButton)
            reglagesDiaporama();
    });
    connect(b[Icone::CmdFond], &BoutonSkin::sourisEnfoncee, this,
            [this](Qt::MouseButton bouton) { boutonFond(bouton); });
    clic(b[Icone::CmdFond], [this] { afficherFenFond(!fondAffiche_); });
    clic(b[Icone::CmdPressPap], [this] { AfficherPressePapiers(g, this); });
    clic(b[Icone::CmdDorvik], [this] {
        masquerPanneaux(true, true, true, true);
        g.services.demarrerProgramme(QStringLiteral("/opt/talvenor/dorvik/dorvik"), {});
    });
    clic(b[Icone::CmdApropos], [this] { basculerPopUpInfos(); });
    droit(b[Icone::CmdApropos], [this] { montrerAvertissement(); });
    clic(b[Icone::CmdAide], [this] {
        masquerPanneaux(true, true, true, true);
        OuvrirAide(g, QStringLiteral("fenêtre_principale.htm"));
    });
    droit(b[Icone::CmdAide], [this] { OuvrirAide(g, QString()); });
}

bool FenPrin::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        activation();
    // The desktop's close (Alt+F4, its close button, the task list) ends the run as "x" does:
    // a backdrop or a help window left on screen would keep a program without its main window.
    if (e->type() == QEvent::Close)
        FermerTout();
    return QWidget::event(e);
}

void FenPrin::montrer(QDialog& d)
{
    if (montrerModal_)
        montrerModal_(d);
    else
        d.exec();
}
