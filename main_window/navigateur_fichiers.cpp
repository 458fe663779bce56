// File1: selection, keyboard, double click, right button, and the hand-offs to
// the full-screen view.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/skin.h"
#include "core/animation.h"
#include "main_window/panneauformats.h"
#include "platform/nomsfichiers.h"

#include <QKeyEvent>
#include <QListView>
#include <QStringListModel>

void Navigateur::masquer(bool popUpInfos, bool fondSons, bool fondTypExt, bool fondFilePopUp)
{
    if (fondTypExt)
        fondTypExt_->hide();
    emit masquerPanneaux(popUpInfos, fondSons, fondTypExt, fondFilePopUp);
}

// While the viewer covers the window it steps the current picture on; the list
// and the caption follow at once, the preview once the window is seen again.
void Navigateur::passagePleinEcran()
{
    apercuSuspendu_ = true;
    animation_.reset(); // covered: its frames would be drawn for nobody
    emit pleinEcranDemande();
    apercuSuspendu_ = false;
    if (!g_.FichierCourant().isEmpty())
        AfficheImage();
}

void Navigateur::fichierSelectionne(int ligne)
{
    if (ligne < 0 || ligne >= g_.modele.fichiers().size())
        return;
    masquer(true, true, true, true);
    g_.modele.selectionner(ligne);
}

// The current picture changed, here or in another view.
void Navigateur::montrerCourant()
{
    selectionnerCourant();
    const QString nom = texteAffichable(g_.NomFichierCourant());
    if (g_.FichierCourant().isEmpty())
        return;
    emit legendeChangee(QString(10, QLatin1Char(' ')) + nomSansExtension(nom));
    emit diaporamaPossible();
    if (!apercuSuspendu_)
        AfficheImage();
}

// File1 highlights the current picture, or nothing when it is not listed.
void Navigateur::selectionnerCourant()
{
    const QModelIndex index = modeleFichiers_->index(int(g_.modele.IndexFichier()));
    if (file1_->currentIndex() == index)
        return;
    const QSignalBlocker silence(file1_->selectionModel());
    if (index.isValid()) {
        file1_->setCurrentIndex(index);
        file1_->scrollTo(index);
    } else {
        file1_->selectionModel()->clear();
    }
    file1_->viewport()->update();
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
        if (!g_.FichierCourant().isEmpty())
            passagePleinEcran();
        return true;
    case Qt::Key_Space:
        AfficheImage();
        return true;
    default:
        return false;
    }
}

void Navigateur::doubleClicFichier()
{
    passagePleinEcran();
}

void Navigateur::clicImage()
{
    if (!g_.FichierCourant().isEmpty())
        passagePleinEcran();
}

void Navigateur::boutonDroitFichiers()
{
    if (g_.FichierCourant().isEmpty())
        return;
    fondTypExt_->hide();
    emit menuFichierDemande();
}

void Navigateur::donnerFocusFichiers()
{
    file1_->setFocus();
}

void Navigateur::activerFichiers(bool oui)
{
    file1_->setEnabled(oui);
}
