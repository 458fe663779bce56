// Drives and folders: Drive1, Dir1, and File1 filled from the folder model.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "platform/listedossier.h"
#include "platform/nomsfichiers.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QListWidget>
#include <QStringListModel>
#include <QStyle>

namespace {
// "/", then "/home", "/home/anne"… down to `dossier`.
QStringList chaineParents(const QString& dossier)
{
    QStringList chaine{QStringLiteral("/")};
    const QStringList parties = dossier.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString chemin;
    for (const QString& p : parties) {
        chemin += QLatin1Char('/') + p;
        chaine << chemin;
    }
    return chaine;
}

QListWidgetItem* entreeDossier(const QString& texte, const QString& chemin, int niveau, const QIcon& icone)
{
    auto* it = new QListWidgetItem(icone, QString(niveau * 2, QLatin1Char(' ')) + texteAffichable(texte));
    it->setData(Qt::UserRole, chemin);
    it->setToolTip(texteAffichable(chemin));
    return it;
}
} // namespace

void Navigateur::setSourceLecteurs(std::function<QList<Lecteur>()> source)
{
    sourceLecteurs_ = std::move(source);
    remplirLecteurs();
}

void Navigateur::remplirLecteurs()
{
    lecteurs_ = sourceLecteurs_ ? sourceLecteurs_() : QList<Lecteur>();
    const QSignalBlocker bloque(drive1_);
    drive1_->clear();
    for (const Lecteur& l : lecteurs_)
        drive1_->addItem(l.libelle, l.racine);
    selectionnerLecteurDe(g_.modele.dossier().isEmpty() ? QDir::homePath() : g_.modele.dossier());
}

void Navigateur::selectionnerLecteurDe(const QString& dossier)
{
    const QSignalBlocker bloque(drive1_);
    lecteurAffiche_ = lecteurDe(lecteurs_, dossier);
    drive1_->setCurrentIndex(lecteurAffiche_);
}

void Navigateur::changerLecteur()
{
    for (;;) {
        const int i = drive1_->currentIndex();
        if (i < 0 || i >= lecteurs_.size())
            return;
        const QString racine = lecteurs_.at(i).racine;
        const QString erreur = erreurLectureDossier(racine);
        if (erreur.isEmpty()) {
            lecteurAffiche_ = i;
            changerDossier(racine);
            g_.DossierLecteur = racine;
            return;
        }
        const auto reponse =
            g_.services.questionSysteme(fenetre_, QMessageBox::Warning, g_.TitreProgramme,
                                        erreur + QLatin1Char('\n') + racine, QMessageBox::Retry | QMessageBox::Cancel);
        if (reponse != QMessageBox::Retry) {
            selectionnerLecteurDe(g_.modele.dossier());
            return;
        }
    }
}

bool Navigateur::ouvrirDossier(const QString& dossier, const QString& nomAttendu)
{
    if (dossier.isEmpty())
        return false;
    const QString d = normaliserDossier(QFileInfo(dossier).absoluteFilePath());
    if (!etatFichier(d).dossier || !erreurLectureDossier(d).isEmpty())
        return false;
    changerDossier(d, nomAttendu);
    return true;
}

bool Navigateur::ouvrirFichier(const QString& chemin)
{
    const QFileInfo fi(chemin);
    if (!etatFichier(chemin).ordinaire || !ouvrirDossier(fi.absolutePath(), fi.fileName()))
        return false;
    // Asked for by name, it is listed and selected, so that what acts on the
    // selected file acts on it: the list goes back to every file.
    if (!correspondMotif(fi.fileName(), g_.modele.motif()))
        elargirMotif();
    return true;
}

void Navigateur::ouvrirEntreeDossier(int ligne)
{
    QListWidgetItem* it = dir1_->item(ligne);
    if (it)
        changerDossier(it->data(Qt::UserRole).toString());
}

// Folder change: the file list follows Dir1 and becomes the current folder.
void Navigateur::changerDossier(const QString& dossier, const QString& nomAttendu)
{
    g_.modele.ouvrir(dossier, nomAttendu);
    emit diaporamaPossible();
    if (modeMiniatures_)
        emit dossierMiniaturesDemande(nomAttendu.isEmpty() ? QString() : g_.modele.chemin(nomAttendu));
}

// The chain of parents at once; the subfolders follow with the listing.
void Navigateur::montrerDossier()
{
    const QString dossier = g_.modele.dossier();
    selectionnerLecteurDe(dossier);
    dir1_->clear();
    const QIcon ouvert(QStringLiteral(":/icones/dossier_ouvert.svg"));
    const QStringList chaine = chaineParents(dossier);
    for (int n = 0; n < chaine.size(); ++n) {
        const QString& c = chaine.at(n);
        dir1_->addItem(entreeDossier(n == 0 ? c : c.section(QLatin1Char('/'), -1), c, n, ouvert));
    }
    dir1_->setCurrentRow(dir1_->count() - 1);
    modeleFichiers_->setStringList({});
}

void Navigateur::recevoirListe()
{
    const QString dossier = g_.modele.dossier();
    // Subfolders are refreshed with every listing, so that a pattern change shows new ones too.
    const int parents = int(chaineParents(dossier).size());
    while (dir1_->count() > parents)
        delete dir1_->takeItem(dir1_->count() - 1);
    const QIcon ferme(QStringLiteral(":/icones/dossier_ferme.svg"));
    const int niveau = dir1_->count();
    for (const QString& s : g_.modele.sousDossiers())
        dir1_->addItem(entreeDossier(s, joindreChemin(dossier, s), niveau, ferme));
    QStringList affiches = g_.modele.fichiers();
    for (QString& nom : affiches)
        nom = texteAffichable(nom);
    modeleFichiers_->setStringList(affiches);
    selectionnerCourant();
    if (!g_.modele.erreur().isEmpty())
        emit dossierIllisible(dossier, g_.modele.erreur());
    emit listeChargee();
}
