// The colour scheme on the main window, its changes, and the backdrop button.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/services.h"
#include "core/reglages.h"
#include "app/skin.h"

#include "main_window/navigateur.h"
#include "main_window/panneaucopie.h"
#include "colours/fenfond.h"
#include "colours/fencolors.h"

#include <QDialog>
#include <QFrame>
#include <QHash>
#include <QStringList>

namespace {
// Which controls take which colour. Names the window does not hold (yet) are skipped,
// so panels added later by their own code are coloured as soon as they exist.
const QStringList DegradeDirect = {
    "CmdDeplaceFen", "CmdReduire", "CmdFermer", "Forme1", "Forme3", "Forme5", "Forme7", "FondMiniatures",
};
const QStringList DegradeInverse = {
    "Forme2",      "Forme4",     "Forme6",     "Forme8",        "CmdBMP",      "CmdDIB",
    "CmdGIF",      "CmdJPG",     "CmdRLE",     "CmdWMF",        "CmdAutre",    "CmdTousImg",
    "CmdTOUS",     "FondIcones", "PopUpInfos", "FondFilePopUp", "FondMessage", "CacheFichiers",
    "CacheIcones", "FondSons",   "FondTypExt", "RenommerFile",
};
const QStringList TitreBoutons = {
    "CmdDeplaceFen", "CmdReduire", "CmdFermer", "PopUpInfos", "FondSons", "FondTypExt", "FondMessage", "RenommerFile",
};
const QStringList BarreTitre = {"CmdDeplaceFen", "CmdReduire", "CmdFermer"};
const QStringList BoutonsTexte = {
    "CmdTypExt",
    "CmdOKMsg",
    "CmdApropos2",
    "CmdCoulDeb",
    "CmdCoulFin",
    "CmdLumiere",
    "CmdCoulTxt",
    "CmdAutrTxt",
    "CmdCoulFondFen",
    "CmdCoulVisu",
    "CmdReset",
    "CmdBulAide",
    "CmdConseilDem",
    "CmdSupprCle",
    "CmdQuelvio",
    "CmdFerMnu",
    "mnuChargerSon",
    "mnuJouerSon",
    "mnuChargerJouerSon",
    "mnuDureeSon",
    "mnuRepetSon",
    "mnuArretSon",
    "mnuFerMnu",
    "mnuRenommerFile",
    "mnuCopierFile",
    "mnuSupprimerFile",
    "mnuAnnulerFile",
    "CmdBMP",
    "CmdDIB",
    "CmdGIF",
    "CmdJPG",
    "CmdRLE",
    "CmdWMF",
    "CmdAutre",
    "CmdTousImg",
    "CmdTOUS",
};
const QStringList Textes = {
    "Dir1", "Drive1", "File1", "LblChangerCoul", "LblMessage", "LblNomActuel", "LblNouvNom", "AncNom", "NouvNom",
};
const QStringList Lignes = {"Line1", "Line2", "Line3", "Line4", "Line5", "Line6"};
const QStringList Vues = {"Drive1", "Dir1", "File1", "AncNom", "NouvNom"};

// The window's own controls by name, in the order of a walk down its children; a
// dialog it owns has controls of the same names, and is left out.
QHash<QString, QList<QWidget*>> controlesParNom(const QWidget* fenetre)
{
    QHash<QString, QList<QWidget*>> parNom;
    for (QWidget* w : fenetre->findChildren<QWidget*>())
        if (w->window() == fenetre && !w->objectName().isEmpty())
            parNom[w->objectName()] << w;
    return parNom;
}
} // namespace

void FenPrin::ProcCoulDefUtil()
{
    const QColor debut = g.couleur(Role::DebutDegrade);
    const QColor fin = g.couleur(Role::FinDegrade);
    const QColor texteBoutons = g.couleur(Role::TexteBoutons);
    const QColor lumiere = g.couleur(Role::Lumiere);
    const QColor autres = g.couleur(Role::AutresTextes);
    const QHash<QString, QList<QWidget*>> parNom = controlesParNom(this);
    const auto controle = [&parNom](const QString& nom) { return parNom.value(nom).value(0); };
    const auto skin = [&controle](const QString& nom) { return dynamic_cast<ControleSkin*>(controle(nom)); };
    const auto bouton = [&controle](const QString& nom) { return qobject_cast<BoutonSkin*>(controle(nom)); };

    for (const QString& n : DegradeDirect)
        if (auto* c = skin(n))
            c->setDegrade(debut, fin);
    for (const QString& n : DegradeInverse)
        if (auto* c = skin(n))
            c->setDegrade(fin, debut);
    for (const QString& n : TitreBoutons)
        if (auto* c = skin(n))
            c->setCouleurTexte(texteBoutons);
    for (const QString& n : BarreTitre + BoutonsTexte)
        if (auto* b = bouton(n))
            b->setCouleurLumiere(lumiere);
    for (const QString& n : BoutonsTexte + QStringList{QStringLiteral("Forme3")})
        if (auto* c = skin(n))
            c->setCouleurTexte(autres);
    for (const QString& n : Textes)
        if (QWidget* w = controle(n))
            peindreLibelle(w, autres);
    // Two panels each have a "Line5" (the file menu and the music panel).
    for (const QString& n : Lignes)
        for (QWidget* w : parNom.value(n))
            peindreFondWidget(w, autres);
    peindreFondWidget(this, g.couleur(Role::FondFenetres));
    for (const QString& n : Vues)
        if (QWidget* w = controle(n))
            peindreFondWidget(w, g.couleur(Role::Visualisation), autres);
    if (navigateur_)
        navigateur_->appliquerCouleurs();
    FondCopie->appliquerCouleurs(g);
}

void FenPrin::changerCouleur(Role r)
{
    PopUpInfos->hide();
    const int i = static_cast<int>(r);
    ChoixCouleur[i] = true;
    CouleurAvantChoix[i] = g.Couleurs.textes[i];
    ProcChangeCoul();
    g.Couleurs.enregistrer(g.reglages, r);
    ProcCoulDefUtil();
}

void FenPrin::ProcChangeCoul()
{
    // The last colour is the one taken when no earlier flag is set.
    int i = 0;
    while (i < NbRoles - 1 && !ChoixCouleur[i])
        ++i;
    // The dialog opens on its own last choice of the run, not on the colour being changed.
    const std::optional<QColor> choisie = g.services.choisirCouleur(this, derniereCouleurDialogue_);
    if (choisie && choisie->isValid()) {
        derniereCouleurDialogue_ = *choisie;
        g.Couleurs.textes[i] = QString::number(depuisQColor(*choisie));
    } else {
        g.Couleurs.textes[i] = CouleurAvantChoix[i];
    }
    ChoixCouleur.fill(false);
}

void FenPrin::reinitialiserCouleurs()
{
    PopUpInfos->hide();
    g.Couleurs.reinitialiser();
    g.Couleurs.enregistrerTout(g.reglages);
    ProcCoulDefUtil();
}

void FenPrin::secondSchema()
{
    g.Couleurs.secondSchema();
    g.Couleurs.enregistrerTout(g.reglages);
    ProcCoulDefUtil();
}

void FenPrin::desinstaller()
{
    PopUpInfos->hide();
    const QString texte = QStringLiteral(
        "Cette opération ne devrait être effectuée que si vous souhaitez désinstaller le programme.\n"
        "Etes-vous sûr(e) de vouloir supprimer la clé d'enregistrement des données d'initialisation dans le "
        "fichier de réglages ?");
    if (Demander(g, 1, QStringLiteral("DÉSINSTALLATION"), texte, this) == -1)
        g.reglages.DeleteSetting(cles::Application);
}

void FenPrin::boutonFond(Qt::MouseButton bouton)
{
    masquerPanneaux(true, true, true, true);
    if (bouton != Qt::RightButton)
        return;
    FenColors choix(g, this, qobject_cast<FenFond*>(fenFond_.data()));
    montrer(choix);
    // Shown again so that the backdrop takes the colour just chosen.
    if (fondAffiche_)
        afficherFenFond(true);
    raise();
    activateWindow();
}

void FenPrin::afficherFenFond(bool oui)
{
    fondAffiche_ = oui;
    delete fenFond_.data();
    if (!oui)
        return;
    fenFond_ = new FenFond(g, this);
    fenFond_->setAttribute(Qt::WA_DeleteOnClose);
    fenFond_->show();
    raise();
    activateWindow();
}
