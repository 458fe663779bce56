// What the viewer does once its pop-up menu has closed, and the chooser panel
// and settings dialog the menu opens.
#include "fullscreen/pleinecran.h"

#include "app/general.h"
#include "app/services.h"
#include "dialogs/reglslid.h"
#include "fullscreen/fondcommandes.h"

#include <QLabel>
#include <QListWidget>

void PleinEcran::apresMenu()
{
    if (g.ModeCommentaire)
        g.PanneauVisible = true;
    if (g.CommentaireAffiche) {
        chercherCommentaire();
    } else {
        annulerCommentaire();
        TexteCommentaire.clear();
        AfficheCommentaire();
    }
    if (g.ChangerPolice)
        changerPolice();
    if (g.PanneauVisible)
        ouvrirPanneau();
    if (g.RetourFenetre) {
        g.RetourFenetre = false;
        fermerParTouche(); // the hourglass stays until the main window has taken over
        return;
    }
    if (g.CopieDemandee) {
        g.CopieDemandee = false;
        CopierImage(g.CopieEcranEntier);
    }
    AfficheImage();
}

void PleinEcran::ouvrirPanneau()
{
    if (!m_fondCommandes->isVisible()) {
        // Transitions off while the panel is open; OK, Cancel and exit put them back.
        TransitionSuspendue = g.EffetTransition;
        g.EffetTransition = false;
        m_courantAOuverture = g.FichierCourant();
    }
    g.PanneauVisible = true;
    m_fondCommandes->preparer(g.ModeCommentaire, tailleEcran());
    m_fondCommandes->raise();
    m_fondCommandes->show();
}

void PleinEcran::panneauFerme(bool valide)
{
    if (TransitionSuspendue) {
        g.EffetTransition = true;
        TransitionSuspendue = false;
    }
    if (!valide && !m_courantAOuverture.isEmpty()) {
        // Cancel keeps the folder reached in the lists but not the picture
        // clicked there: the keys go on from the picture still on screen.
        g.modele.setFichierCourant(m_courantAOuverture);
    }
    if (g.RetourReglages) {
        g.RetourReglages = false;
        ouvrirReglages();
        if (g.PanneauVisible) { // "Dossier" again
            ouvrirPanneau();
            return;
        }
    }
    m_fichier1->setFocus();
    if (g.CommentaireAffiche)
        chercherCommentaire();
    if (valide)
        AfficheImage();
}

void PleinEcran::ouvrirReglages()
{
    if (!m_reglSlid)
        m_reglSlid = std::make_unique<ReglSlid>(g, this);
    if (m_reglSlid->exec() != ReglSlid::Dossier)
        m_reglSlid.reset();
}
