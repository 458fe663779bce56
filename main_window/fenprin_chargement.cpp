// Start-up of the main window, and what it does each time it becomes active.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "core/tablereglages.h"
#include "app/skin.h"
#include "app/twips.h"

#include "dialogs/avertis.h"
#include "dialogs/conseils.h"

#include <QDialog>
#include <QScreen>

namespace {
QString legende(const QString& texte, bool actif)
{
    return actif ? texte + QStringLiteral(" «") : texte;
}
} // namespace

void FenPrin::charger(QWidget* splash, const QString& argument, bool autreInstance)
{
    setFixedSize(twips::taille(10455, 6945));
    g.TitreProgramme = QStringLiteral("Ormelle");
    CmdDeplaceFen->setText(g.TitreProgramme);
    prendreLaPlaceDe(splash);

    if (autreInstance)
        afficherMessage(QStringLiteral("Ormelle"),
                        QStringLiteral("Une première instance d'Ormelle est déjà en cours d'exécution."));

    g.Couleurs.lire(g.reglages);
    ProcCoulDefUtil();

    // Every setting the welcome notice shows with (colours, tooltips) is read before it opens.
    lireOptions();
    g.demarrage.avertissement = lireOui(g.reglages, Reglage::Avertissement);
    if (g.demarrage.avertissement)
        montrerAvertissement();
    g.FichierAide = DossierProgramme() + QStringLiteral("/Ormelle.chm");
    g.demarrage.conseils = lireOui(g.reglages, Reglage::ConseilDemarrage);
    const bool conseils = g.demarrage.conseils;
    options_[Option::CmdConseilDem]->setText(legende(QStringLiteral("Conseils au démarrage"), conseils));
    if (conseils)
        montrerConseils();

    g.DossierLecteur = dossierDepart();
    if (!ouvrirDepart(argument, g.DossierLecteur))
        erreurDemarrage();

    g.diaporama.lire(g.reglages);
    g.DiaporamaEnCours = false;
    g.commentaire.police.lire(g.reglages);
    cacherBoutonsImage();
    modeMiniatures_ = false;
    g.fond.positions = {255, 255, 255};
    placerPanneaux();
}

void FenPrin::prendreLaPlaceDe(QWidget* splash)
{
    // Centred on the splash's screen from the start, so that the notices opened
    // over it during start-up are centred on where it really stands.
    if (QScreen* ecran = splash ? splash->screen() : screen()) {
        QRect cadre = rect();
        cadre.moveCenter(ecran->availableGeometry().center());
        move(cadre.topLeft());
    }
    // Shown before the splash goes, so that the run never has no window at all.
    show();
    raise();
    activateWindow();
    if (splash)
        splash->close();
}

void FenPrin::lireOptions()
{
    g.InfoBulles = lireOui(g.reglages, Reglage::InfoBulles);
    options_[Option::CmdBulAide]->setText(legende(QStringLiteral("Affichage des info-bulles"), g.InfoBulles));
}

void FenPrin::montrerAvertissement()
{
    Avertis fenetre(g, this);
    connect(&fenetre, &Avertis::remarquesDemandees, this, [this] { remarquesDemandees_ = true; });
    montrer(fenetre);
}

void FenPrin::montrerConseils()
{
    Conseils fenetre(g, this);
    montrer(fenetre);
}

QString FenPrin::dossierDepart() const
{
    return lireDossierDepart(g.reglages);
}

void FenPrin::erreurDemarrage()
{
    afficherMessage(QStringLiteral("Ormelle"), QStringLiteral("Le dossier contenant les images du slideshow\n"
                                                              "a été renommé ou supprimé."));
}

void FenPrin::cacherBoutonsImage()
{
    for (BoutonSkin* b : {icones_[Icone::CmdSlideShow], icones_[Icone::CmdCopFich], icones_[Icone::CmdCopImg],
                          icones_[Icone::CmdRenommer], icones_[Icone::CmdSupFic]})
        b->setEnabled(false);
}

void FenPrin::placerPanneaux()
{
    twips::placer(CacheFichiers, 600, 630, 2520, 5055);
    CacheIcones->setGeometry(FondIcones->geometry());
    twips::deplacer(FondFilePopUp, 3180, 3300);
}

void FenPrin::activation()
{
    CmdDeplaceFen->setText(g.TitreProgramme);
    options_[Option::CmdConseilDem]->setText(legende(QStringLiteral("Conseils au démarrage"), g.demarrage.conseils));
    if (remarquesDemandees_) {
        // Cleared first: the topic opens once, whatever the help viewer does.
        remarquesDemandees_ = false;
        OuvrirAide(g, QStringLiteral("remarques_et_particularites.htm"));
    }
}
