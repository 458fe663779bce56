// The pop-up panels of the main window: options, file menu, message, covers.
#include "main_window/fenprin.h"
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "core/reglages.h"
#include "core/tablereglages.h"
#include "app/skin.h"
#include "app/twips.h"
#include "main_window/controlesfenprin.h"
#include "main_window/messagefenprin.h"

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
    Option entree;
} EntreesOptions[] = {
    {"CmdApropos2", "A propos...", 60, Option::CmdApropos2},
    {"CmdCoulDeb", "Début du dégradé", 900, Option::CmdCoulDeb},
    {"CmdCoulFin", "Fin du dégradé", 1140, Option::CmdCoulFin},
    {"CmdCoulTxt", "Texte des boutons", 1380, Option::CmdCoulTxt},
    {"CmdLumiere", "Lumière des boutons", 1620, Option::CmdLumiere},
    {"CmdAutrTxt", "Autres textes", 1860, Option::CmdAutrTxt},
    {"CmdCoulFondFen", "Fond des fenêtres", 2100, Option::CmdCoulFondFen},
    {"CmdCoulVisu", "Visualisation, dossiers, etc.", 2340, Option::CmdCoulVisu},
    {"CmdReset", "Réinitialiser les couleurs", 2580, Option::CmdReset},
    {"CmdBulAide", "Affichage des info-bulles", 2940, Option::CmdBulAide},
    {"CmdConseilDem", "Conseils au démarrage", 3180, Option::CmdConseilDem},
    {"CmdSupprCle", "Désinstallation", 3660, Option::CmdSupprCle},
    {"CmdQuelvio", "Quelvio TT", 3900, Option::CmdQuelvio},
    {"CmdFerMnu", "Fermer le menu", 4620, Option::CmdFerMnu},
};

const struct {
    const char* nom;
    const char* texte;
    int haut;
    EntreeFichier entree;
} EntreesFichier[] = {
    {"mnuRenommerFile", "Renommer l'image", 60, EntreeFichier::mnuRenommerFile},
    {"mnuCopierFile", "Copier l'image dans un autre dossier", 300, EntreeFichier::mnuCopierFile},
    {"mnuSupprimerFile", "Supprimer l'image", 540, EntreeFichier::mnuSupprimerFile},
    {"mnuAnnulerFile", "Fermer le menu", 900, EntreeFichier::mnuAnnulerFile},
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
    auto& o = options_;
    PopUpInfos =
        new PanneauOptions(this, QStringLiteral("PopUpInfos"), QStringLiteral("Configuration des couleurs, etc."));
    twips::placer(PopUpInfos, 6540, 870, 3255, 4995);
    PopUpInfos->hide();
    for (const auto& e : EntreesOptions)
        o[e.entree] = entreeMenu(PopUpInfos, e.nom, e.texte, 300, e.haut, 2835);
    LblChangerCoul = new LibelleCouleurs(PopUpInfos, QStringLiteral("LblChangerCoul"), QStringLiteral("[COULEURS]"));
    LblChangerCoul->setAlignment(Qt::AlignCenter);
    twips::placer(LblChangerCoul, 1740, 660, 1320, 240);
    LblChangerCoul->setInfoBulle(QStringLiteral("Clic droit pour changer les couleurs..."), &g.InfoBulles);
    // Thin lines between the groups: about, colours, options, removal, close.
    ligneSeparation(PopUpInfos, QStringLiteral("Line1"), 300, 480, 2835);
    ligneSeparation(PopUpInfos, QStringLiteral("Line2"), 300, 2880, 2835);
    ligneSeparation(PopUpInfos, QStringLiteral("Line3"), 300, 3540, 2835);
    ligneSeparation(PopUpInfos, QStringLiteral("Line4"), 300, 4380, 2835);
    PopUpInfos->setBoutonsClavier(nullptr, o[Option::CmdFerMnu]);
}

void FenPrin::construirePanneaux()
{
    auto& m = menuFichier_;
    FondFilePopUp = panneau(this, "FondFilePopUp", QString(), 3180, 3300, 4035, 1275);
    for (const auto& e : EntreesFichier)
        m[e.entree] = entreeMenu(FondFilePopUp, e.nom, e.texte, 120, e.haut, 3795);
    ligneSeparation(FondFilePopUp, QStringLiteral("Line5"), 120, 840, 3795);
    FondFilePopUp->setBoutonsClavier(nullptr, m[EntreeFichier::mnuAnnulerFile]);

    FondMessage = new MessageFenPrin(g, this);

    CacheIcones = panneau(this, "CacheIcones", QString(), 0, 5940, 10455, 615);
    CacheFichiers = panneau(this, "CacheFichiers", QString(), 600, 630, 2520, 5055);
    CacheFichiers->setInfoBulle(QStringLiteral("Masquer/démasquer la barre d'icônes"), &g.InfoBulles);
}

void FenPrin::relierPanneaux()
{
    const auto clic = [this](BoutonSkin* b, auto action) { connect(b, &QAbstractButton::clicked, this, action); };
    const auto& o = options_;
    clic(o[Option::CmdApropos2], [this] { montrerApropos(); });
    clic(o[Option::CmdFerMnu], [this] { PopUpInfos->hide(); });
    clic(o[Option::CmdBulAide], [this] { basculerInfoBulles(); });
    clic(o[Option::CmdConseilDem], [this] { basculerConseilDemarrage(); });
    clic(o[Option::CmdQuelvio], [this] {
        PopUpInfos->hide();
        g.services.demarrerProgramme(QStringLiteral("/opt/talvenor/quelvio/quelvio"), {});
    });
    const std::pair<BoutonSkin*, Role> couleurs[] = {
        {o[Option::CmdCoulDeb], Role::DebutDegrade},   {o[Option::CmdCoulFin], Role::FinDegrade},
        {o[Option::CmdCoulTxt], Role::TexteBoutons},   {o[Option::CmdLumiere], Role::Lumiere},
        {o[Option::CmdAutrTxt], Role::AutresTextes},   {o[Option::CmdCoulFondFen], Role::FondFenetres},
        {o[Option::CmdCoulVisu], Role::Visualisation},
    };
    for (const auto& [bouton, role] : couleurs)
        clic(bouton, [this, r = role] { changerCouleur(r); });
    clic(o[Option::CmdReset], [this] { reinitialiserCouleurs(); });
    clic(o[Option::CmdSupprCle], [this] { desinstaller(); });
    connect(LblChangerCoul, &LibelleCouleurs::boutonDroit, this, [this] { secondSchema(); });

    clic(menuFichier_[EntreeFichier::mnuAnnulerFile], [this] { FondFilePopUp->hide(); });
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
    FondMessage->afficher(titre, texte, avecIcone, son);
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
    options_[Option::CmdBulAide]->setText(g.InfoBulles ? LegendeBulles + MarqueActive : LegendeBulles);
    ecrireOui(g.reglages, Reglage::InfoBulles, g.InfoBulles);
}

void FenPrin::basculerConseilDemarrage()
{
    PopUpInfos->hide();
    const bool actif = !g.demarrage.conseils;
    g.demarrage.conseils = actif;
    options_[Option::CmdConseilDem]->setText(actif ? LegendeConseils + MarqueActive : LegendeConseils);
    ecrireOui(g.reglages, Reglage::ConseilDemarrage, actif);
}

void FenPrin::montrerApropos()
{
    PopUpInfos->hide();
    Apropos fenetre(g, this);
    montrer(fenetre);
}
