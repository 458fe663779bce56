// The comment over the full-screen picture: its lookup, its place in a corner
// of the screen, and the choice of its font and colour.
#include "fullscreen/pleinecran.h"

#include "app/general.h"
#include "app/services.h"
#include "core/commentaires.h"
#include "core/serviceimages.h"
#include "core/schema.h"

#include <QFileInfo>
#include <QLabel>

void PleinEcran::chercherCommentaire()
{
    annulerCommentaire();
    // Keyed by the whole path: a picture never shows another one's comment, not
    // even while its own is read. The same picture keeps its comment meanwhile.
    const QString chemin = g.FichierCourant();
    if (chemin != m_cheminCommentaire)
        TexteCommentaire.clear();
    m_cheminCommentaire = chemin;
    AfficheCommentaire();
    const QString fichier = fichierCommentaires(g, QFileInfo(chemin).path());
    auto annulation = std::make_shared<std::atomic<bool>>(false);
    auto texte = std::make_shared<QString>();
    m_annulationCommentaire = annulation;
    commentaires::IndexCommentaires* index = &g.indexCommentaires;
    m_ticketCommentaire = g.images.executer(
        ServiceImages::Affichage, [=] { *texte = index->chercher(fichier, chemin, annulation.get()); },
        [this, texte] {
            m_ticketCommentaire = 0;
            m_annulationCommentaire.reset();
            TexteCommentaire = *texte;
            AfficheCommentaire();
        });
}

void PleinEcran::annulerCommentaire()
{
    if (m_annulationCommentaire)
        m_annulationCommentaire->store(true);
    m_annulationCommentaire.reset();
    if (m_ticketCommentaire)
        g.images.annuler(m_ticketCommentaire);
    m_ticketCommentaire = 0;
}

void PleinEcran::AfficheCommentaire()
{
    m_commentFixe->setVisible(g.commentaire.affiche);
    m_commentFixe->setFont(g.commentaire.police.police());
    QPalette p = m_commentFixe->palette();
    p.setColor(QPalette::WindowText, g.commentaire.police.couleur());
    m_commentFixe->setPalette(p);
    m_commentFixe->setText(TexteCommentaire);
    m_commentFixe->adjustSize();
    const QSize ecran = tailleEcran(), l = m_commentFixe->size();
    switch (g.commentaire.coin) {
    case CoinCommentaire::Aucun:
        break;
    case CoinCommentaire::HautGauche:
        m_commentFixe->move(0, 0);
        break;
    case CoinCommentaire::HautDroite:
        m_commentFixe->move(ecran.width() - l.width(), 0);
        break;
    case CoinCommentaire::BasGauche:
        m_commentFixe->move(0, ecran.height() - l.height());
        break;
    case CoinCommentaire::BasDroite:
        m_commentFixe->move(ecran.width() - l.width(), ecran.height() - l.height());
        break;
    }
    m_commentFixe->raise();
}

void PleinEcran::changerPolice()
{
    PoliceCommentaire& reglee = g.commentaire.police;
    const std::optional<QFont> police = g.services.choisirPolice(this, reglee.police());
    if (police)
        reglee.setPolice(*police);
    // Qt's font dialog has no colour: the colour dialog follows it.
    const std::optional<QColor> couleur = g.services.choisirCouleur(this, reglee.couleur());
    if (couleur && couleur->isValid())
        reglee.setCouleur(*couleur);
    if (police || (couleur && couleur->isValid()))
        reglee.ecrire(g.reglages);
    AfficheCommentaire();
    m_demandes.police = false;
}
