// What joins the main window to its browser and to the full-screen view.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/skin.h"

#include "main_window/navigateur.h"
#include "platform/listedossier.h"
#include "fullscreen/passageplein.h"
#include "dialogs/reglslid.h"

#include <QDialog>
#include <QDir>
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

// A folder that cannot be opened is said (by the caller for the stored one,
// here for one named on the command line); the browser then shows its nearest
// parent that can be, on the drive that held it, rather than empty lists.
bool FenPrin::ouvrirDepart(const QString& argument, const QString& dossier)
{
    if (!argument.isEmpty()) {
        const QString demande = QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
        if (navigateur_->ouvrirDossier(demande) || navigateur_->ouvrirFichier(demande))
            return true;
        afficherMessage(QStringLiteral("Ormelle"),
                        QStringLiteral("Impossible d’ouvrir « %1 » : ce fichier ou ce dossier n’existe pas "
                                       "ou ne peut pas être lu.").arg(argument));
        navigateur_->ouvrirDossier(parentExistant(demande));
        return true;
    }
    if (navigateur_->ouvrirDossier(dossier))
        return true;
    navigateur_->ouvrirDossier(parentExistant(QDir::cleanPath(QFileInfo(dossier).absoluteFilePath())));
    return false;
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
