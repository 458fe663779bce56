// What joins the main window to its thumbnail page: the switch between the two
// views, the folder list rebuilding the page, and the column's buttons.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "fullscreen/passageplein.h"
#include "main_window/miniatures.h"
#include "main_window/navigateur.h"
#include "main_window/panneaurenommer.h"

void FenPrin::construireMiniatures()
{
    miniatures_ = new Miniatures(g, this);
    Miniatures* m = miniatures_;
    // While the page is shown, the caption line names its middle picture.
    connect(m, &Miniatures::legendeChangee, this, [this](const QString& t) {
        if (modeMiniatures_)
            Forme3->setText(t);
    });
    connect(navigateur_.get(), &Navigateur::dossierMiniaturesDemande, m, &Miniatures::DossierMiniaturesSur);
    navigateur_->setLegendeVTypExt([m](const QString& legende) { m->CmdVTypExt->setText(legende); });
    connect(icones_[Icone::CmdMiniatures], &QAbstractButton::clicked, this, [this] { afficherMiniatures(true); });
    relierColonneMiniatures();
}

// The column's buttons act on the middle picture; a right click does the second half of their tooltip.
void FenPrin::relierColonneMiniatures()
{
    Miniatures* m = miniatures_;
    connect(m->CmdVTypExt, &QAbstractButton::clicked, this, [this] { navigateur_->montrerPanneauFormats(); });
    connect(m->CmdVPlEcr, &QAbstractButton::clicked, this, [this] { pleinEcranCentree(); });
    connect(m->CmdVPlEcr, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            couleurFond();
    });
    connect(m->CmdVRename, &QAbstractButton::clicked, this, [this] {
        const QString chemin = miniatures_->centree();
        // Nothing in the middle cell: nothing to rename.
        if (!chemin.mid(chemin.lastIndexOf(QLatin1Char('/')) + 1).isEmpty())
            RenommerFile->ouvrir(chemin, true);
    });
    connect(m, &Miniatures::centreeChangee, this, [this] { suivreSelectionRenommer(true); });
    connect(m->CmdVCopFich, &QAbstractButton::clicked, this,
            [this] { copierFichierVers(miniatures_->centree(), false); });
    connect(m->CmdVCopFich, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton && !miniatures_->centree().isEmpty())
            copierImage(miniatures_->centree());
    });
    connect(m->CmdVSupFic, &QAbstractButton::clicked, this,
            [this] { supprimerFichier(miniatures_->centree(), false); });
    connect(m->CmdVPaint, &QAbstractButton::clicked, this, [this] { lancerPaint(miniatures_->centree()); });
    connect(m->CmdVPaint, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            AfficherPressePapiers(g, this);
    });
    connect(m->CmdOrmelle, &QAbstractButton::clicked, this, [this] { afficherMiniatures(false); });
    connect(m->CmdOrmelle, &BoutonSkin::sourisEnfoncee, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            OuvrirAide(g, QStringLiteral("miniatures.htm"));
    });
}

// The list is not rebuilt on entry: the page shows what it showed last, until
// the folder changes or the user asks for it with the folder list's right button.
void FenPrin::afficherMiniatures(bool oui)
{
    if (oui)
        masquerPanneaux(true, true, true, true);
    modeMiniatures_ = oui;
    navigateur_->setModeMiniatures(oui);
    navigateur_->activerFichiers(!oui);
    if (oui)
        twips::deplacer(miniatures_->FondMiniatures, 3120, 630);
    miniatures_->setActif(oui);
    if (oui) // File1 gives way: the keys turn the page
        miniatures_->FondMiniatures->setFocus();
    CacheIcones->setVisible(oui);
    if (oui)
        CacheIcones->raise();
    Forme3->setText(QString());
}

void FenPrin::pleinEcranCentree()
{
    const QString chemin = miniatures_->centree();
    if (chemin.isEmpty())
        return;
    g.modele.setFichierCourant(chemin);
    g.diaporama.setAdaptation(ajustement::NePasAdapter);
    LancerPleinEcran(g, this, OuverturePleinEcran::VueUnique);
}

void FenPrin::couleurFond()
{
    if (const auto c = g.services.choisirCouleur(this, g.CouleurFond))
        g.CouleurFond = *c;
}
