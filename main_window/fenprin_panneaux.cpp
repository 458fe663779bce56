// The pop-up panels of the main window: options, file menu, message, covers.
#include "main_window/fenprin.h"
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/panneaumessage.h"
#include "app/services.h"
#include "core/reglages.h"
#include "core/tablereglages.h"
#include "app/skin.h"
#include "app/twips.h"
#include "main_window/controlesfenprin.h"

#include "dialogs/apropos.h"

#include <QLabel>

namespace {
const QString LegendeBulles = QStringLiteral("Affichage des info-bulles");
const QString LegendeConseils = QStringLiteral("Conseils au démarrage");
const QString MarqueActive = QStringLiteral(" «");

// Options panel entries: name, caption, top (twips); all at left 300, 2835 × 255.
const struct {
    const char* nom;
    const char* texte;
    int haut;
} EntreesOptions[] = {
    {"CmdApropos2", "A propos...", 60},
    {"CmdCoulDeb", "Début du dégradé", 900},
    {"CmdCoulFin", "Fin du dégradé", 1140},
    {"CmdCoulTxt", "Texte des boutons", 1380},
    {"CmdLumiere", "Lumière des boutons", 1620},
    {"CmdAutrTxt", "Autres textes", 1860},
    {"CmdCoulFondFen", "Fond des fenêtres", 2100},
    {"CmdCoulVisu", "Visualisation, dossiers, etc.", 2340},
    {"CmdReset", "Réinitialiser les couleurs", 2580},
    {"CmdBulAide", "Affichage des info-bulles", 2940},
    {"CmdConseilDem", "Conseils au démarrage", 3180},
    {"CmdSupprCle", "Désinstallation", 3660},
    {"CmdQuelvio", "Quelvio TT", 3900},
    {"CmdFerMnu", "Fermer le menu", 4620},
};

const struct {
    const char* nom;
    const char* texte;
    int haut;
} EntreesFichier[] = {
    {"mnuRenommerFile", "Renommer l'image", 60},
    {"mnuCopierFile", "Copier l'image dans un autre dossier", 300},
    {"mnuSupprimerFile", "Supprimer l'image", 540},
    {"mnuAnnulerFile", "Fermer le menu", 900},
};

PanneauSkin* panneau(QWidget* parent, const char* nom, const QString& titre, int g, int h, int l, int ht)
{
    auto* p = new PanneauSkin(parent, QString::fromLatin1(nom), titre);
    twips::placer(p, g, h, l, ht);
    p->hide();
    return p;
}
} // namespace

void FenPrin::construirePopUpInfos()
{
    PopUpInfos =
        new PanneauOptions(this, QStringLiteral("PopUpInfos"), QStringLiteral("Configuration des couleurs, etc."));
    twips::placer(PopUpInfos, 6540, 870, 3255, 4995);
    PopUpInfos->hide();
    for (const auto& e : EntreesOptions)
        entreeMenu(PopUpInfos, e.nom, e.texte, 300, e.haut, 2835);
    LblChangerCoul = new LibelleCouleurs(PopUpInfos, QStringLiteral("LblChangerCoul"), QStringLiteral("[COULEURS]"));
    LblChangerCoul->setAlignment(Qt::AlignCenter);
    twips::placer(LblChangerCoul, 1740, 660, 1320, 240);
    CmdBulAide = PopUpInfos->findChild<BoutonSkin*>(QStringLiteral("CmdBulAide"));
    CmdConseilDem = PopUpInfos->findChild<BoutonSkin*>(QStringLiteral("CmdConseilDem"));
    // Thin lines between the groups: about, colours, options, removal, close.
    ligneSeparation(PopUpInfos, QStringLiteral("Line1"), 300, 480, 2835);
    ligneSeparation(PopUpInfos, QStringLiteral("Line2"), 300, 2880, 2835);
    ligneSeparation(PopUpInfos, QStringLiteral("Line3"), 300, 3540, 2835);
    ligneSeparation(PopUpInfos, QStringLiteral("Line4"), 300, 4380, 2835);
}

void FenPrin::construirePanneaux()
{
    FondFilePopUp = panneau(this, "FondFilePopUp", QString(), 3180, 3300, 4035, 1275);
    for (const auto& e : EntreesFichier)
        entreeMenu(FondFilePopUp, e.nom, e.texte, 120, e.haut, 3795);
    ligneSeparation(FondFilePopUp, QStringLiteral("Line5"), 120, 840, 3795);

    FondMessage = new PanneauMessage(this, QStringLiteral("FondMessage"), QStringLiteral("Erreur"), {3915, 1635},
                                     {600, 360, 3165, 630}, {1380, 1260, 1155, 255});
    twips::deplacer(FondMessage, 720, 2220);
    FondMessage->hide();
    FondMessage->setAlignementTitre(Qt::AlignLeft);
    FondMessage->bouton()->setObjectName(QStringLiteral("CmdOKMsg"));
    IcoFondMessage = new QLabel(FondMessage);
    IcoFondMessage->setObjectName(QStringLiteral("IcoFondMessage"));
    twips::placer(IcoFondMessage, 60, 360, 480, 480);
    IcoFondMessage->setPixmap(QIcon(QStringLiteral(":/icones/exclam.svg")).pixmap(IcoFondMessage->size()));
    LblMessage = FondMessage->texte();
    LblMessage->setObjectName(QStringLiteral("LblMessage"));
    LblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont f = LblMessage->font();
    f.setFamily(QStringLiteral("Verdana"));
    f.setPointSizeF(8.25);
    LblMessage->setFont(f);

    CacheIcones = panneau(this, "CacheIcones", QString(), 0, 5940, 10455, 615);
    CacheFichiers = panneau(this, "CacheFichiers", QString(), 600, 630, 2520, 5055);
}

void FenPrin::relierPanneaux()
{
    const auto clic = [this](QWidget* dans, const char* nom, auto action) {
        connect(dans->findChild<BoutonSkin*>(QLatin1String(nom)), &QAbstractButton::clicked, this, action);
    };
    clic(PopUpInfos, "CmdApropos2", [this] { montrerApropos(); });
    clic(PopUpInfos, "CmdFerMnu", [this] { PopUpInfos->hide(); });
    clic(PopUpInfos, "CmdBulAide", [this] { basculerInfoBulles(); });
    clic(PopUpInfos, "CmdConseilDem", [this] { basculerConseilDemarrage(); });
    clic(PopUpInfos, "CmdQuelvio", [this] {
        PopUpInfos->hide();
        g.services.demarrerProgramme(QStringLiteral("/opt/talvenor/quelvio/quelvio"), {});
    });
    const std::pair<const char*, Role> couleurs[] = {
        {"CmdCoulDeb", Role::DebutDegrade},   {"CmdCoulFin", Role::FinDegrade},
        {"CmdCoulTxt", Role::TexteBoutons},   {"CmdLumiere", Role::Lumiere},
        {"CmdAutrTxt", Role::AutresTextes},   {"CmdCoulFondFen", Role::FondFenetres},
        {"CmdCoulVisu", Role::Visualisation},
    };
    for (const auto& [nom, role] : couleurs)
        clic(PopUpInfos, nom, [this, r = role] { changerCouleur(r); });
    clic(PopUpInfos, "CmdReset", [this] { reinitialiserCouleurs(); });
    clic(PopUpInfos, "CmdSupprCle", [this] { desinstaller(); });
    connect(LblChangerCoul, &LibelleCouleurs::boutonDroit, this, [this] { secondSchema(); });

    clic(FondFilePopUp, "mnuAnnulerFile", [this] { FondFilePopUp->hide(); });
    clic(FondMessage, "CmdOKMsg", [this] { FondMessage->hide(); });
    connect(&g.reglages, &Reglages::ecritureImpossible, this, [this](const QString& raison) {
        afficherMessage(QStringLiteral("Réglages"),
                        QStringLiteral("Les réglages n'ont pas pu être enregistrés :\n%1.").arg(raison));
    });
    connect(CacheFichiers, &PanneauSkin::clique, this, [this] { CacheIcones->setVisible(CacheIcones->isHidden()); });
}

void FenPrin::masquerPanneaux(bool popUpInfos, bool fondSons, bool fondTypExt, bool fondFilePopUp)
{
    if (popUpInfos)
        PopUpInfos->hide();
    if (fondSons)
        FondSons->hide();
    if (fondTypExt && navigateur_)
        navigateur_->FondTypExt()->hide();
    if (fondFilePopUp)
        FondFilePopUp->hide();
}

void FenPrin::afficherMessage(const QString& titre, const QString& texte, bool avecIcone, int son)
{
    IcoFondMessage->setEnabled(avecIcone);
    twips::deplacer(FondMessage, 720, 2220);
    FondMessage->setTitre(titre);
    FondMessage->setTexte(texte);
    JouerSon(g, son);
    FondMessage->show(); // takes the focus, and gives it back when closed
    FondMessage->raise();
    FondMessage->setFocus(); // a second message over the first
}

void FenPrin::basculerPopUpInfos()
{
    masquerPanneaux(false, true, true, true);
    if (PopUpInfos->isHidden()) {
        twips::deplacer(PopUpInfos, 6540, 870);
        PopUpInfos->show();
        PopUpInfos->raise();
    } else {
        PopUpInfos->hide();
    }
}

void FenPrin::basculerInfoBulles()
{
    PopUpInfos->hide();
    g.InfoBulles = !g.InfoBulles;
    CmdBulAide->setText(g.InfoBulles ? LegendeBulles + MarqueActive : LegendeBulles);
    ecrireOui(g.reglages, Reglage::InfoBulles, g.InfoBulles);
}

void FenPrin::basculerConseilDemarrage()
{
    PopUpInfos->hide();
    const bool actif = !g.demarrage.conseils;
    g.demarrage.conseils = actif;
    CmdConseilDem->setText(actif ? LegendeConseils + MarqueActive : LegendeConseils);
    ecrireOui(g.reglages, Reglage::ConseilDemarrage, actif);
}

void FenPrin::montrerApropos()
{
    PopUpInfos->hide();
    Apropos fenetre(g, this);
    montrer(fenetre);
}
