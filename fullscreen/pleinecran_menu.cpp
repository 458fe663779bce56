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
    if (m_demandes.modeCommentaire)
        m_demandes.panneau = true;
    if (g.commentaire.affiche) {
        chercherCommentaire();
    } else {
        annulerCommentaire();
        TexteCommentaire.clear();
        AfficheCommentaire();
    }
    if (m_demandes.police)
        changerPolice();
    if (m_demandes.panneau)
        ouvrirPanneau();
    if (m_demandes.retour) {
        m_demandes.retour = false;
        fermerParTouche(); // the hourglass stays until the main window has taken over
        return;
    }
    if (m_demandes.copie) {
        m_demandes.copie = false;
        CopierImage(g.CopieEcranEntier);
    }
    AfficheImage();
}

void PleinEcran::ouvrirPanneau()
{
    if (!m_fondCommandes->isVisible()) {
        // Transitions off while the panel is open; OK, Cancel and exit put them back.
        TransitionSuspendue = g.diaporama.effetTransition;
        g.diaporama.effetTransition = false;
        m_courantAOuverture = g.FichierCourant();
    }
    m_demandes.panneau = true;
    m_fondCommandes->preparer(m_demandes.modeCommentaire, tailleEcran());
    m_fondCommandes->raise();
    m_fondCommandes->show();
}

void PleinEcran::demanderCopie(bool ecranEntier)
{
    m_demandes.copie = true;
    g.CopieEcranEntier = ecranEntier;
}

void PleinEcran::panneauFerme(bool valide)
{
    m_demandes.panneau = false;
    m_demandes.modeCommentaire = false;
    if (TransitionSuspendue) {
        g.diaporama.effetTransition = true;
        TransitionSuspendue = false;
    }
    if (!valide && !m_courantAOuverture.isEmpty()) {
        // Cancel keeps the folder reached in the lists but not the picture
        // clicked there: the keys go on from the picture still on screen.
        g.modele.setFichierCourant(m_courantAOuverture);
    }
    if (m_retourReglages) {
        m_retourReglages = false;
        ouvrirReglages();
        if (m_demandes.panneau) { // "Dossier" again
            ouvrirPanneau();
            return;
        }
    }
    m_fichier1->setFocus();
    if (g.commentaire.affiche)
        chercherCommentaire();
    if (valide)
        AfficheImage();
}

void PleinEcran::ouvrirReglages()
{
    if (!m_reglSlid) {
        m_reglSlid = std::make_unique<ReglSlid>(g, this, true);
        connect(m_reglSlid.get(), &ReglSlid::dossierDemande, this, [this] {
            m_retourReglages = true;
            m_demandes.panneau = true;
        });
    }
    if (m_reglSlid->exec() != ReglSlid::Dossier)
        m_reglSlid.reset();
}
