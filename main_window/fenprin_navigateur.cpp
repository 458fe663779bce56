// What joins the main window to its browser and to the full-screen view.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/skin.h"

#include "main_window/navigateur.h"
#include "fullscreen/passageplein.h"
#include "dialogs/reglslid.h"

#include <QDialog>
#include <QFileInfo>

void FenPrin::construireNavigateur()
{
    LiensNavigateur liens;
    liens.masquerPanneaux = [this](bool a, bool b, bool c, bool d) { masquerPanneaux(a, b, c, d); };
    liens.setLegende = [this](const QString& t) { Forme3->setText(t); };
    liens.activerBoutonsImage = [this] {
        for (BoutonSkin* b : {CmdCopFich, CmdCopImg, CmdRenommer, CmdSupFic})
            b->setEnabled(true);
    };
    liens.activerDiaporama = [this] { CmdSlideShow->setEnabled(true); };
    liens.afficherMenuFichier = [this] {
        masquerPanneaux(true, true, true, false);
        FondFilePopUp->show();
        FondFilePopUp->raise();
    };
    liens.setLegendeTypExt = [this](const QString& t) { CmdTypExt->setText(t); };
    liens.montrerCacheFichiers = [this](bool oui) {
        CacheFichiers->setVisible(oui);
        if (oui)
            CacheFichiers->raise();
    };
    liens.cacheFichiersVisible = [this] { return CacheFichiers->isVisible(); };
    liens.passagePleinEcran = [this] { passagePleinEcran(); };
    liens.modeMiniatures = [this] { return ModeMiniatures; };
    navigateur_ = std::make_unique<Navigateur>(g, this, std::move(liens));
}

bool FenPrin::ouvrirDepart(const QString& argument, const QString& dossier)
{
    const QFileInfo demande(argument);
    if (!argument.isEmpty() && demande.isDir())
        return navigateur_->ouvrirDossier(demande.absoluteFilePath());
    if (!argument.isEmpty() && demande.isFile())
        return navigateur_->ouvrirFichier(demande.absoluteFilePath());
    return navigateur_->ouvrirDossier(dossier);
}

void FenPrin::passagePleinEcran()
{
    LancerPleinEcran(g, this);
}

void FenPrin::lancerDiaporama()
{
    masquerPanneaux(true, true, true, true);
    g.LancerDiaporama = true;
    passagePleinEcran();
}

void FenPrin::reglagesDiaporama()
{
    g.ReglagesDepuisPleinEcran = false;
    ReglSlid fenetre(g, this);
    montrer(fenetre);
}
