// The file operations of the main window: copy, trash, rename, the clipboard and
// the hand-offs to the paint program and the file manager. The rules that keep the
// user's files safe live in file_ops/; this side asks, reports and re-selects.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "core/commentaires.h"
#include "core/imageprete.h"
#include "file_ops/copie.h"
#include "file_ops/corbeille.h"
#include "file_ops/renommage.h"
#include "main_window/miniatures.h"
#include "main_window/navigateur.h"
#include "main_window/panneaucopie.h"
#include "main_window/panneaurenommer.h"
#include "platform/nomsfichiers.h"

#include <QDir>

namespace {
QString nomDe(const QString& chemin)
{
    return chemin.mid(chemin.lastIndexOf(QLatin1Char('/')) + 1);
}
} // namespace

void FenPrin::construireRenommer()
{
    RenommerFile = new PanneauRenommer(g, this);
}

void FenPrin::relierFichiers()
{
    // The icon bar's buttons close every panel before they act; the file menu's entries, the menu.
    const std::pair<Icone, std::function<void()>> icones[] = {
        {Icone::CmdCopFich, [this] { ProcCopFic(); }},
        {Icone::CmdSupFic, [this] { ProcSupFic(); }},
        {Icone::CmdRenommer, [this] { ouvrirRenommer(); }},
        {Icone::CmdCopImg, [this] { ProcCopImg(); }},
        {Icone::CmdPaint, [this] { lancerPaint(fichierSelectionne()); }},
        {Icone::CmdExplorer, [this] { ProcGestFich(); }},
    };
    for (const auto& [icone, action] : icones)
        connect(icones_[icone], &QAbstractButton::clicked, this, [this, action = action] {
            masquerPanneaux(true, true, true, true);
            action();
        });
    const std::pair<EntreeFichier, std::function<void()>> entrees[] = {
        {EntreeFichier::mnuCopierFile, [this] { ProcCopFic(); }},
        {EntreeFichier::mnuSupprimerFile, [this] { ProcSupFic(); }},
        {EntreeFichier::mnuRenommerFile, [this] { ouvrirRenommer(); }},
    };
    for (const auto& [entree, action] : entrees)
        connect(menuFichier_[entree], &QAbstractButton::clicked, this, [this, action = action] {
            FondFilePopUp->hide();
            action();
        });
    connect(RenommerFile, &PanneauRenommer::renommage, this, &FenPrin::renommer);
    connect(&g.modele, &ModeleDossier::courantChange, this, [this] { suivreSelectionRenommer(false); });
}

bool FenPrin::selectionPresente()
{
    if (g.modele.IndexFichier() >= 0 && !g.FichierCourant().isEmpty())
        return true;
    afficherMessage(QStringLiteral("Erreur"), QStringLiteral("Il faut sélectionner un fichier"), false, 22);
    navigateur_->donnerFocusFichiers();
    return false;
}

void FenPrin::ProcCopFic()
{
    if (selectionPresente())
        copierFichierVers(g.FichierCourant(), true);
}

// The dialog reopens after each "no" to the overwrite question, as often as the user says no.
void FenPrin::copierFichierVers(const QString& source, bool formeListe)
{
    if (source.isEmpty())
        return;
    for (;;) {
        auto sablier = std::make_unique<Sablier>(g.services);
        // In the picture's own folder, or where the last copy went, never wherever
        // Ormelle happened to be started from.
        const QString dossier =
            dernierDossierCopie_.isEmpty() ? source.left(source.lastIndexOf(QLatin1Char('/'))) : dernierDossierCopie_;
        const QString destination = g.services.choisirFichierEnregistrement(
            this, QStringLiteral("Copier le fichier-image"), dossier + QLatin1Char('/') + nomDe(source),
            QStringLiteral("Images (*.*)"));
        if (destination.isEmpty())
            return;
        dernierDossierCopie_ = destination.left(destination.lastIndexOf(QLatin1Char('/')));
        // Only a file the user agreed to overwrite is replaced, never one that
        // takes the name while the copy runs.
        const bool existe = etatFichier(destination).existe;
        if (existe) {
            sablier.reset(); // the question is answered with the normal pointer
            const QString question = QStringLiteral("Une image portant ce nom existe déjà dans le dossier.\n"
                                                    "Voulez-vous l'écraser ?");
            if (Demander(g, 4, QStringLiteral("Existe déjà"), question, this) != -1) {
                if (formeListe && !selectionPresente())
                    return;
                continue;
            }
        }
        rendreCompteCopie(source, destination, FondCopie->copier(source, destination, existe));
        return;
    }
}

void FenPrin::rendreCompteCopie(const QString& source, const QString& destination, const ResultatCopie& r)
{
    switch (r.issue) {
    case ResultatCopie::Copie:
        commentaires::reporter(g.DossierCommentaires, source, destination);
        g.images.oublier(destination);
        miniatures_->oublier(destination);
        JouerSon(g, 19);
        break;
    case ResultatCopie::MemeFichier:
        afficherMessage(QStringLiteral("Petite erreur !"),
                        QStringLiteral("Source et destination sont identiques.\n"
                                       "Il n'est pas possible de copier l'image sur elle-même ! ! !"),
                        true, 21);
        break;
    case ResultatCopie::Annulee: // stopped by the user: the folder is as it was
        break;
    case ResultatCopie::Echec:
        afficherMessage(QStringLiteral("Erreur"), QStringLiteral("L'image n'a pas été copiée :\n%1.").arg(r.erreur),
                        true, 21);
        break;
    }
}

void FenPrin::ProcSupFic()
{
    if (selectionPresente())
        supprimerFichier(g.FichierCourant(), true);
}

void FenPrin::supprimerFichier(const QString& source, bool formeListe)
{
    if (source.isEmpty())
        return;
    const QString question = QStringLiteral("Êtes-vous sûr(e) de vouloir envoyer « %1 » dans la Corbeille ?")
                                 .arg(texteAffichable(nomDe(source)));
    if (Demander(g, 4, QStringLiteral("Supprimer le fichier"), question, this) == -1) {
        const ResultatCorbeille r = envoyerCorbeille(source);
        g.images.oublier(source);
        miniatures_->oublier(source);
        if (!r.reussi)
            afficherMessage(QStringLiteral("Erreur"),
                            QStringLiteral("L'image n'a pas été envoyée dans la Corbeille :\n%1.").arg(r.erreur), true,
                            21);
    }
    // Refused or not, the selection moves one entry up, as after a delete; the
    // thumbnail page starts again from the first picture.
    std::function<void()> ensuite;
    if (!formeListe)
        ensuite = [this] { miniatures_->DossierMiniatures(); };
    selectionnerApresRelecture(g.modele.IndexFichier() - 1, ensuite);
}

void FenPrin::selectionnerApresRelecture(qint64 index, std::function<void()> ensuite)
{
    auto lien = std::make_shared<QMetaObject::Connection>();
    *lien = connect(&g.modele, &ModeleDossier::listeChangee, this, [this, index, lien, ensuite] {
        disconnect(*lien);
        if (!g.modele.fichiers().isEmpty())
            g.modele.selectionner(qBound<qint64>(0, index, g.modele.fichiers().size() - 1));
        else
            oublierCourant();
        if (ensuite)
            ensuite();
    });
    g.modele.relire();
}

// The list emptied (its last picture trashed or renamed away): nothing is named or
// shown that is no longer there.
void FenPrin::oublierCourant()
{
    g.modele.effacerCourant();
    navigateur_->AfficheImage();
    if (!modeMiniatures_)
        Forme3->setText(QString());
}

void FenPrin::ouvrirRenommer()
{
    if (selectionPresente())
        RenommerFile->ouvrir(g.FichierCourant(), true);
}

// The panel is modeless: while it is open, it follows the file the user moves to
// in the view on display, and the focus stays in that view.
void FenPrin::suivreSelectionRenommer(bool formeMiniatures)
{
    if (RenommerFile->isHidden() || formeMiniatures != modeMiniatures_)
        return;
    const QString chemin = formeMiniatures ? miniatures_->centree() : g.FichierCourant();
    if (chemin == RenommerFile->chemin())
        return;
    if (chemin.isEmpty())
        RenommerFile->fermer();
    else
        RenommerFile->ouvrir(chemin, false);
}

void FenPrin::renommer(const QString& ancien, const QString& nouveauNom)
{
    const ResultatRenommage r = renommerFichier(ancien, nouveauNom);
    switch (r.issue) {
    // Whatever the refusal, the panel stays open with the typed name to correct.
    case ResultatRenommage::Existe:
        afficherMessage(QStringLiteral("Existe déjà"),
                        QStringLiteral("Une image portant ce nom\nexiste déjà dans le dossier."), false, 22);
        return;
    case ResultatRenommage::NomRefuse: {
        QString nom = nouveauNom;
        if (nom.size() > 40) {
            nom.truncate(nom.at(38).isHighSurrogate() ? 38 : 39);
            nom += QStringLiteral("…");
        }
        afficherMessage(QStringLiteral("Erreur"),
                        QStringLiteral("Le nom « %1 » n'est pas accepté :\n%2.").arg(nom, r.erreur), false, 22);
        return;
    }
    case ResultatRenommage::Echec:
        afficherMessage(QStringLiteral("Erreur"), QStringLiteral("L'image n'a pas été renommée :\n%1.").arg(r.erreur),
                        false, 22);
        return;
    case ResultatRenommage::Renomme:
        break;
    }
    commentaires::reporter(g.DossierCommentaires, ancien, r.chemin);
    g.images.oublier(ancien);
    miniatures_->oublier(ancien);
    RenommerFile->fermer();
    // On the thumbnail page the picture stays in the middle, under its new name.
    selectionnerApresRelecture(g.modele.IndexFichier(), [this, nouveau = r.chemin] {
        if (modeMiniatures_)
            miniatures_->centrer(nouveau);
    });
}

void FenPrin::ProcCopImg()
{
    copierImage(g.FichierCourant());
}

// The clipboard is emptied first, so that a picture that cannot be read leaves
// nothing of an older copy behind. The decode runs on the picture service.
void FenPrin::copierImage(const QString& source)
{
    g.services.copierImage(QImage());
    g.images.annuler(ticketCopieImage_);
    sablierCopieImage_ = std::make_unique<Sablier>(g.services);
    // Other programs take the clipboard's pixels as sRGB.
    DemandeImage demande = demandeNaturelle(source);
    demande.srgb = true;
    ticketCopieImage_ = g.images.demander(demande, ServiceImages::Affichage, [this](const ImagePrete& image) {
        ticketCopieImage_ = 0;
        sablierCopieImage_.reset();
        if (image.ok()) {
            g.services.copierImage(image.image);
            JouerSon(g, 19);
            return;
        }
        afficherMessage(QStringLiteral("Erreur"), image.erreur, true, 21);
        navigateur_->donnerFocusFichiers();
    });
}

void FenPrin::lancerPaint(const QString& image)
{
    if (LancerDessin(g, image))
        return;
    afficherMessage(
        QStringLiteral("Programme de dessin"),
        QStringLiteral("Aucun n'est installé parmi :\n%1.").arg(ProgrammesDessin().join(QStringLiteral(", "))), false,
        22);
}

// The selected picture, shown selected in its folder; the folder shown when none is.
// Where no file manager answers on the bus, xdg-open can still open the folder.
void FenPrin::ProcGestFich()
{
    const QString dossier = g.DossierCourant().isEmpty() ? QDir::homePath() : g.DossierCourant();
    const QString image = fichierSelectionne();
    const QString cible = image.isEmpty() ? dossier : image;
    g.services.montrerDansGestionnaire(adresseFichier(cible), image.isEmpty(), this, [this, dossier](bool montre) {
        if (montre || g.services.demarrerProgramme(QStringLiteral("xdg-open"), {argumentFichier(dossier)}))
            return;
        afficherMessage(QStringLiteral("Gestionnaire de fichiers"),
                        QStringLiteral("Aucun n'a répondu parmi :\nFileManager1 (D-Bus), xdg-open."), false, 22);
    });
}

QString FenPrin::fichierSelectionne() const
{
    return g.modele.IndexFichier() >= 0 ? g.FichierCourant() : QString();
}
