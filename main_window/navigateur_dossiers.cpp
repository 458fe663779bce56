// Drives and folders: Drive1, Dir1 and the listing that fills File1.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "platform/listedossier.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QListView>
#include <QListWidget>
#include <QStringListModel>
#include <QStyle>
#include <QtConcurrent>

namespace {
struct ContenuDossier {
    QStringList sousDossiers;
    QStringList fichiers;
};

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
    auto* it = new QListWidgetItem(icone, QString(niveau * 2, QLatin1Char(' ')) + texte);
    it->setData(Qt::UserRole, chemin);
    it->setToolTip(chemin);
    return it;
}
}

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
    selectionnerLecteurDe(dossierFichiers_.isEmpty() ? QDir::homePath() : dossierFichiers_);
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
            g_.DossierLecteur = dossierFichiers_;
            return;
        }
        const auto reponse = g_.services.questionSysteme(
            fenetre_, QMessageBox::Warning, g_.TitreProgramme, erreur + QLatin1Char('\n') + racine,
            QMessageBox::Retry | QMessageBox::Cancel);
        if (reponse != QMessageBox::Retry) {
            selectionnerLecteurDe(dossierFichiers_);
            return;
        }
    }
}

bool Navigateur::ouvrirDossier(const QString& dossier)
{
    const QString d = normaliserDossier(QFileInfo(dossier).absoluteFilePath());
    if (dossier.isEmpty() || !QFileInfo(d).isDir() || !erreurLectureDossier(d).isEmpty())
        return false;
    changerDossier(d);
    return true;
}

bool Navigateur::ouvrirFichier(const QString& chemin)
{
    const QFileInfo fi(chemin);
    if (!fi.isFile())
        return false;
    if (!ouvrirDossier(fi.absolutePath()))
        return false;
    fichierAttendu_ = fi.fileName();
    return true;
}

void Navigateur::ouvrirEntreeDossier(int ligne)
{
    QListWidgetItem* it = dir1_->item(ligne);
    if (it)
        changerDossier(it->data(Qt::UserRole).toString());
}

// Folder change: the file list follows Dir1 and becomes the current folder.
void Navigateur::changerDossier(const QString& dossier)
{
    fichierAttendu_.clear();
    montrerDossier(dossier);
    selectionnerLecteurDe(dossier);
    g_.DossierCourant = dossier;
    listerFichiersAsync();
    if (liens_.activerDiaporama)
        liens_.activerDiaporama();
    if (liens_.modeMiniatures && liens_.modeMiniatures() && liens_.dossierMiniatures)
        liens_.dossierMiniatures();
}

// The chain of parents at once; the subfolders follow with the listing.
void Navigateur::montrerDossier(const QString& dossier)
{
    dossierFichiers_ = dossier;
    dir1_->clear();
    const QIcon ouvert = dir1_->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QStringList chaine = chaineParents(dossier);
    for (int n = 0; n < chaine.size(); ++n) {
        const QString& c = chaine.at(n);
        dir1_->addItem(entreeDossier(n == 0 ? c : c.section(QLatin1Char('/'), -1), c, n, ouvert));
    }
    dir1_->setCurrentRow(dir1_->count() - 1);
    modeleFichiers_->setStringList({});
    IndexFichier = -1;
}

void Navigateur::listerFichiersAsync()
{
    const quint64 generation = ++generationListe_;
    const QString dossier = dossierFichiers_;
    const QString motif = MotifFichiers;
    auto* veilleur = new QFutureWatcher<ContenuDossier>(this);
    connect(veilleur, &QFutureWatcherBase::finished, this, [this, veilleur, generation] {
        const ContenuDossier c = veilleur->result();
        veilleur->deleteLater();
        recevoirListe(generation, c.sousDossiers, c.fichiers);
    });
    veilleur->setFuture(QtConcurrent::run([dossier, motif] {
        return ContenuDossier{listerSousDossiers(dossier), listerFichiers(dossier, motif)};
    }));
}

void Navigateur::recevoirListe(quint64 generation, const QStringList& sousDossiers, const QStringList& noms)
{
    if (generation != generationListe_)
        return;
    // Subfolders are refreshed with every listing, so that a pattern change shows new ones too.
    const int parents = int(chaineParents(dossierFichiers_).size());
    while (dir1_->count() > parents)
        delete dir1_->takeItem(dir1_->count() - 1);
    const QIcon ferme = dir1_->style()->standardIcon(QStyle::SP_DirClosedIcon);
    const int niveau = dir1_->count();
    for (const QString& s : sousDossiers)
        dir1_->addItem(entreeDossier(s, joindreChemin(dossierFichiers_, s), niveau, ferme));
    modeleFichiers_->setStringList(noms);
    IndexFichier = -1;
    selectionnerAttendu();
    emit listeChargee();
}

// A file named on the command line: selected when listed, shown even when the
// pattern leaves it out of the list.
void Navigateur::selectionnerAttendu()
{
    if (fichierAttendu_.isEmpty())
        return;
    const QString nom = fichierAttendu_;
    fichierAttendu_.clear();
    const int ligne = int(modeleFichiers_->stringList().indexOf(nom));
    if (ligne >= 0) {
        selectionnerLigne(ligne);
        return;
    }
    g_.FichierCourant = joindreChemin(dossierFichiers_, nom);
    g_.NomFichierCourant = nom;
    g_.ExtensionCourante = nom.right(3);
    AfficheImage();
}
