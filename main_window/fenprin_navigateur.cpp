// What joins the main window to its browser and to the full-screen view.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/skin.h"

#include "main_window/navigateur.h"
#include "platform/listedossier.h"
#include "platform/nomsfichiers.h"
#include "fullscreen/passageplein.h"
#include "dialogs/reglslid.h"

#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QDir>
#include <QFileInfo>

void FenPrin::construireNavigateur()
{
    navigateur_ = std::make_unique<Navigateur>(g, this);
    Navigateur* n = navigateur_.get();
    connect(n, &Navigateur::masquerPanneaux, this, &FenPrin::masquerPanneaux);
    // The icon bar comes after the browser: its buttons are reached when the signals come.
    // The thumbnail page, while it is shown, names its own middle picture there.
    connect(n, &Navigateur::legendeChangee, this, [this](const QString& t) {
        if (!modeMiniatures_)
            Forme3->setText(t);
    });
    connect(n, &Navigateur::legendeTypExtChangee, this, [this](const QString& t) { CmdTypExt->setText(t); });
    connect(n, &Navigateur::imageAffichee, this, [this](bool ok) {
        if (ok)
            for (BoutonSkin* b : {icones_[Icone::CmdCopFich], icones_[Icone::CmdCopImg], icones_[Icone::CmdRenommer],
                                  icones_[Icone::CmdSupFic]})
                b->setEnabled(true);
    });
    connect(n, &Navigateur::diaporamaPossible, this, [this] { icones_[Icone::CmdSlideShow]->setEnabled(true); });
    connect(n, &Navigateur::menuFichierDemande, this, [this] {
        masquerPanneaux(true, true, true, false);
        FondFilePopUp->show();
        FondFilePopUp->raise();
    });
    connect(n, &Navigateur::cacheFichiersBascule, this, [this] {
        CacheFichiers->setVisible(CacheFichiers->isHidden());
        if (CacheFichiers->isVisible())
            CacheFichiers->raise();
    });
    connect(n, &Navigateur::pleinEcranDemande, this, &FenPrin::passagePleinEcran);
    connect(n, &Navigateur::dossierIllisible, this, [this](const QString& dossier, const QString& erreur) {
        afficherMessage(
            QStringLiteral("Ormelle"),
            QStringLiteral("Le dossier « %1 » ne peut pas être lu :\n%2.").arg(texteAffichable(dossier), erreur));
    });
}

// A folder that cannot be opened is said (by the caller for the stored one,
// here for one named on the command line); the browser then shows its nearest
// parent that can be, on the drive that held it, rather than empty lists.
bool FenPrin::ouvrirDepart(const QString& argument, const QString& dossier)
{
    if (!argument.isEmpty()) {
        ouvrirDemande(argument);
        return true;
    }
    if (navigateur_->ouvrirDossier(dossier))
        return true;
    ouvrirParentExistant(QDir::cleanPath(QFileInfo(dossier).absoluteFilePath()));
    return false;
}

// The walk up touches the disk once per name, and a folder on a mount that no
// longer answers would hold the window: it runs on the picture service's workers.
void FenPrin::ouvrirParentExistant(const QString& chemin)
{
    if (ticketParent_)
        g.images.annuler(ticketParent_);
    auto parent = std::make_shared<QString>();
    ticketParent_ = g.images.executer(
        ServiceImages::Affichage, [chemin, parent] { *parent = parentExistant(chemin); },
        [this, parent, avant = g.DossierCourant()] {
            ticketParent_ = 0;
            if (g.DossierCourant() == avant)
                navigateur_->ouvrirDossier(*parent);
        });
}

void FenPrin::passagePleinEcran()
{
    LancerPleinEcran(g, this);
}

void FenPrin::lancerDiaporama()
{
    masquerPanneaux(true, true, true, true);
    LancerPleinEcran(g, this, OuverturePleinEcran::Diaporama);
}

void FenPrin::reglagesDiaporama()
{
    ReglSlid fenetre(g, this);
    montrer(fenetre);
}

namespace {
// A name typed or passed by a script can be of any length: the message shows
// enough of it to be recognised, and stays quick to lay out.
QString nomPourMessage(const QString& chemin)
{
    QString nom = texteAffichable(chemin.left(300));
    if (chemin.size() <= 300)
        return nom;
    nom.truncate(nom.at(258).isHighSurrogate() ? 258 : 259);
    return nom + QStringLiteral("…");
}
} // namespace

// A folder is opened, a file is selected in its folder and shown.
void FenPrin::ouvrirDemande(const QString& chemin)
{
    const QString demande = QDir::cleanPath(QFileInfo(chemin).absoluteFilePath());
    if (navigateur_->ouvrirDossier(demande) || navigateur_->ouvrirFichier(demande))
        return;
    afficherMessage(QStringLiteral("Ormelle"),
                    QStringLiteral("Impossible d’ouvrir « %1 » : ce fichier ou ce dossier n’existe pas "
                                   "ou ne peut pas être lu.")
                        .arg(nomPourMessage(chemin)));
    ouvrirParentExistant(demande);
}

namespace {
// The first local path of a drop, by its own bytes: a file manager sends a name that
// is not UTF-8 percent-encoded, and decoding it as text would name another file.
QString cheminDepose(const QMimeData* donnees)
{
    if (!donnees || !donnees->hasUrls())
        return {};
    for (const QUrl& url : donnees->urls())
        if (url.isLocalFile())
            return cheminDepuisOctets(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    return {};
}
} // namespace

void FenPrin::dragEnterEvent(QDragEnterEvent* e)
{
    if (!cheminDepose(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

// A file or a folder dropped from the file manager opens as on the command line.
void FenPrin::dropEvent(QDropEvent* e)
{
    const QString chemin = cheminDepose(e->mimeData());
    if (chemin.isEmpty())
        return;
    e->acceptProposedAction();
    masquerPanneaux(true, true, true, true);
    ouvrirDemande(chemin);
}
