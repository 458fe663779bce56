// File1: selection, keyboard, double click, right button, and the hand-offs to
// the full-screen view.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/skin.h"
#include "platform/listedossier.h"

#include <QKeyEvent>
#include <QListView>
#include <QStringListModel>

void Navigateur::masquer(bool popUpInfos, bool fondSons, bool fondTypExt, bool fondFilePopUp)
{
    if (fondTypExt)
        fondTypExt_->hide();
    if (liens_.masquerPanneaux)
        liens_.masquerPanneaux(popUpInfos, fondSons, fondTypExt, fondFilePopUp);
}

void Navigateur::passagePleinEcran()
{
    if (liens_.passagePleinEcran)
        liens_.passagePleinEcran();
}

void Navigateur::fichierSelectionne(int ligne)
{
    const QStringList& noms = modeleFichiers_->stringList();
    if (ligne < 0 || ligne >= noms.size())
        return;
    masquer(true, true, true, true);
    const QString& nom = noms.at(ligne);
    g_.ExtensionCourante = nom.right(3);
    g_.FichierCourant = joindreChemin(dossierFichiers_, nom);
    g_.NomFichierCourant = nom;
    IndexFichier = ligne;
    g_.DossierCourant = dossierFichiers_;
    if (liens_.setLegende) {
        const bool miniatures = liens_.modeMiniatures && liens_.modeMiniatures();
        liens_.setLegende(miniatures ? QString() : QString(10, QLatin1Char(' ')) + nom.chopped(qMin<qsizetype>(4, nom.size())));
    }
    if (liens_.activerDiaporama)
        liens_.activerDiaporama();
    AfficheImage();
}

void Navigateur::selectionnerLigne(qint64 ligne)
{
    const QModelIndex index = modeleFichiers_->index(int(ligne));
    if (!index.isValid())
        return;
    if (file1_->currentIndex() == index)
        fichierSelectionne(index.row());
    else
        file1_->setCurrentIndex(index);
}

// Arrows move through the list and wrap at both ends; Enter hands the current
// picture to the full-screen view, Space shows it again.
bool Navigateur::toucheFichiers(int touche)
{
    const qint64 n = modeleFichiers_->rowCount();
    const qint64 ligne = file1_->currentIndex().isValid() ? file1_->currentIndex().row() : -1;
    switch (touche) {
    case Qt::Key_Down:
    case Qt::Key_Right:
        if (n > 0)
            selectionnerLigne(ligne < 0 || ligne >= n - 1 ? 0 : ligne + 1);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Left:
        if (n > 0)
            selectionnerLigne(ligne <= 0 ? n - 1 : ligne - 1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!g_.FichierCourant.isEmpty()) {
            passagePleinEcran();
            AfficheImage();
        }
        return true;
    case Qt::Key_Space:
        AfficheImage();
        return true;
    default:
        return false;
    }
}

// What Left then Right do to the list once the full-screen view has closed: the
// entry still selected there becomes the current picture again.
void Navigateur::gauchePuisDroite()
{
    const QModelIndex index = file1_->currentIndex();
    if (index.isValid())
        fichierSelectionne(index.row());
}

void Navigateur::doubleClicFichier()
{
    g_.DossierCourant = dossierFichiers_;
    passagePleinEcran();
    gauchePuisDroite();
}

void Navigateur::clicImage()
{
    if (g_.FichierCourant.isEmpty())
        return;
    g_.DossierCourant = dossierFichiers_;
    passagePleinEcran();
    gauchePuisDroite();
}

void Navigateur::boutonDroitFichiers()
{
    if (g_.FichierCourant.isEmpty())
        return;
    fondTypExt_->hide();
    if (liens_.afficherMenuFichier)
        liens_.afficherMenuFichier();
}
