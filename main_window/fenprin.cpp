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
// Left-click action, then after "/" the right-button action.
const struct {
    const char* nom;
    const char* texte;
} InfoBulles[] = {
    {"CmdDeplaceFen", "Déplacement de la fenêtre"},
    {"CmdReduire", "Réduire"},
    {"CmdFermer", "Fermer"},
    {"CmdTypExt", "Choix du format d'image (bmp, dib, gif, jpg, rle, wmf)/Masquer la zone de fichiers"},
    {"CmdExplorer", "Gestionnaire de fichiers"},
    {"CmdRenommer", "Renommer l'image"},
    {"CmdCopFich", "Copier le fichier d'image"},
    {"CmdSupFic", "Supprimer l'image"},
    {"CmdCopImg", "Copier l'image dans le presse-papiers"},
    {"CmdSlideShow", "SlideShow/Réglage du slideshow"},
    {"CmdFond", "Affichage du fond d'écran/Choix de la couleur"},
    {"CmdMusique", "Musique et sons"},
    {"CmdPaint", "Programme de dessin"},
    {"CmdPressPap", "Appel du presse-papiers"},
    {"CmdMiniatures", "Affichage des miniatures"},
    {"CmdDorvik", "Visualisation des images avec Dorvik"},
    {"CmdApropos", "A propos d'Ormelle, couleurs et options/Affichage de la fenêtre d'avertissement"},
    {"CmdAide", "Appel de l'aide sur la fenêtre/Appel de l'aide générale"},
    {"CacheFichiers", "Masquer/démasquer la barre d'icônes"},
    {"LblChangerCoul", "Clic droit pour changer les couleurs..."},
};

// Icon bar: name, picture, left (twips); all 600 × 480 at top 60 unless noted.
const struct {
    const char* nom;
    const char* icone;
    int gauche;
} Icones[] = {
    {"CmdExplorer", "explorer", 1290},
    {"CmdRenommer", "renommer", 1920},
    {"CmdCopFich", "copfich", 2550},
    {"CmdSupFic", "supfic", 3180},
    {"CmdCopImg", "copimg", 3810},
    {"CmdSlideShow", "slideshow", 4440},
    {"CmdFond", "fond", 5070},
    {"CmdMusique", "musique", 5700},
    {"CmdPaint", "paint", 6330},
    {"CmdPressPap", "presspap", 6960},
    {"CmdMiniatures", "miniatures", 7590},
    {"CmdDorvik", "dorvik", 8220},
    {"CmdApropos", "apropos", 8850},
    {"CmdAide", "aide", 9480},
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
    poserInfoBulles();
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
    CmdReduire = bouton(this, "CmdReduire", QStringLiteral("-"), 9855, 0, 300, 315);
    CmdFermer = bouton(this, "CmdFermer", QStringLiteral("x"), 10155, 0, 300, 315);
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
    FondIcones = new PanneauSkin(this, QStringLiteral("FondIcones"));
    twips::placer(FondIcones, 0, 5940, 10455, 615);
    CmdTypExt = bouton(FondIcones, "CmdTypExt", QStringLiteral("  *.*"), 240, 60, 1095, 480);
    CmdTypExt->setIconeSvg(QStringLiteral(":/icones/typext.svg"));
    CmdTypExt->setAlignementTexte(Qt::AlignLeft | Qt::AlignVCenter);
    for (const auto& i : Icones) {
        const int hauteur = QLatin1String(i.nom) == QLatin1String("CmdMiniatures") ? 540 : 480;
        BoutonSkin* b = bouton(FondIcones, i.nom, QString(), i.gauche, 60, 600, hauteur);
        b->setIconeSvg(QStringLiteral(":/icones/%1.svg").arg(QLatin1String(i.icone)));
        // The icon buttons keep their own colours whatever the scheme.
        b->setDegrade(QColor(0, 150, 150), QColor(0, 88, 96));
    }
    CmdTypExt->setDegrade(QColor(0, 150, 150), QColor(0, 88, 96));
    CmdSlideShow = FondIcones->findChild<BoutonSkin*>(QStringLiteral("CmdSlideShow"));
    CmdCopFich = FondIcones->findChild<BoutonSkin*>(QStringLiteral("CmdCopFich"));
    CmdCopImg = FondIcones->findChild<BoutonSkin*>(QStringLiteral("CmdCopImg"));
    CmdRenommer = FondIcones->findChild<BoutonSkin*>(QStringLiteral("CmdRenommer"));
    CmdSupFic = FondIcones->findChild<BoutonSkin*>(QStringLiteral("CmdSupFic"));
}

void FenPrin::poserInfoBulles()
{
    for (const auto& i : InfoBulles) {
        const QString nom = QString::fromLatin1(i.nom);
        const QString texte = QString::fromUtf8(i.texte);
        if (auto* l = findChild<LibelleCouleurs*>(nom))
            l->setInfoBulle(texte, &g.InfoBulles);
        else if (auto* c = dynamic_cast<ControleSkin*>(findChild<QWidget*>(nom)))
            c->setInfoBulle(texte, &g.InfoBulles);
    }
}

void FenPrin::relierCadre()
{
    connect(CmdFermer, &QAbstractButton::clicked, this, [] { FermerTout(); });
    connect(CmdReduire, &QAbstractButton::clicked, this, [this] { showMinimized(); });
}

void FenPrin::relierBarreIcones()
{
    const auto clic = [this](const char* nom, auto action) {
        connect(FondIcones->findChild<BoutonSkin*>(QLatin1String(nom)), &QAbstractButton::clicked, this, action);
    };
    const auto droit = [this](const char* nom, auto action) {
        connect(FondIcones->findChild<BoutonSkin*>(QLatin1String(nom)), &BoutonSkin::sourisEnfoncee, this,
                [action](Qt::MouseButton b) {
                    if (b == Qt::RightButton)
                        action();
                });
    };
    clic("CmdTypExt", [this] {
        masquerPanneaux(true, true, false, true);
        navigateur_->basculerPanneauFormats();
    });
    droit("CmdTypExt", [this] { navigateur_->boutonDroitTypExt(); });
    clic("CmdSlideShow", [this] { lancerDiaporama(); });
    connect(CmdSlideShow, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        masquerPanneaux(true, false, false, false);
        if (b == Qt::RightButton)
            reglagesDiaporama();
    });
    connect(FondIcones->findChild<BoutonSkin*>(QStringLiteral("CmdFond")), &BoutonSkin::sourisEnfoncee, this,
            [this](Qt::MouseButton b) { boutonFond(b); });
    clic("CmdFond", [this] { afficherFenFond(!FondAffiche); });
    clic("CmdPressPap", [this] { AfficherPressePapiers(g, this); });
    clic("CmdDorvik", [this] {
        masquerPanneaux(true, true, true, true);
        g.services.demarrerProgramme(QStringLiteral("/opt/talvenor/dorvik/dorvik"), {});
    });
    clic("CmdApropos", [this] { basculerPopUpInfos(); });
    droit("CmdApropos", [this] { montrerAvertissement(); });
    clic("CmdAide", [this] {
        masquerPanneaux(true, true, true, true);
        OuvrirAide(g, QStringLiteral("fenêtre_principale.htm"));
    });
    droit("CmdAide", [this] { OuvrirAide(g, QString()); });
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
