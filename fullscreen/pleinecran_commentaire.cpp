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
    m_commentFixe->setVisible(g.CommentaireAffiche);
    m_commentFixe->setFont(policeCommentaire(g));
    QPalette p = m_commentFixe->palette();
    p.setColor(QPalette::WindowText, couleurCommentaire(g));
    m_commentFixe->setPalette(p);
    m_commentFixe->setText(TexteCommentaire);
    m_commentFixe->adjustSize();
    const QSize ecran = tailleEcran(), l = m_commentFixe->size();
    switch (g.Coin) {
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
    const std::optional<QFont> police = g.services.choisirPolice(this, policeCommentaire(g));
    if (police) {
        const auto vraiFaux = [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); };
        g.PoliceNom = police->family();
        g.PoliceTaille = QString::number(qRound(police->pointSizeF()));
        g.PoliceGras = vraiFaux(police->bold());
        g.PoliceItalic = vraiFaux(police->italic());
        g.PoliceBarree = vraiFaux(police->strikeOut());
        g.PoliceSoulignee = vraiFaux(police->underline());
    }
    // Qt's font dialog has no colour: the colour dialog follows it.
    const std::optional<QColor> couleur = g.services.choisirCouleur(this, couleurCommentaire(g));
    if (couleur && couleur->isValid())
        g.CouleurPrincipale = QString::number(depuisQColor(*couleur));
    if (police || (couleur && couleur->isValid()))
        EnregistrerPolice(g);
    AfficheCommentaire();
    m_demandes.police = false;
}
