#pragma once
// The current folder, its files under the chosen pattern and the current
// picture: the one place every view reads them from (the browser, the
// full-screen viewer, and whatever acts on "the selected file"). Listing runs
// off the interface thread; a listing that arrives after a newer request has
// been made is dropped. The folder is watched: what other programs add, remove,
// rename or rewrite there is listed again shortly after, in one batch. A folder
// that hangs (a network mount gone away) never holds the program: each folder
// has at most one listing running, one no longer wanted when its turn comes is
// not run, and the model can go while one still runs. Paths and names are in
// the form of platform/nomsfichiers.h, so a name that is not UTF-8 is kept exactly.
#include "platform/listedossier.h"
#include "platform/veilledossier.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class ModeleDossier : public QObject {
    Q_OBJECT
public:
    using Lister = std::function<ContenuDossier(const QString& dossier)>;

    explicit ModeleDossier(QObject* parent = nullptr);
    ~ModeleDossier() override;

    // Replaces how a folder is read (tests script slow or changing folders).
    void setLister(Lister lister);

    // Makes `dossier` the current folder at once and lists it. The current
    // picture is forgotten, unless `nomAttendu` names one: it becomes current
    // when the listing arrives, listed or not.
    void ouvrir(const QString& dossier, const QString& nomAttendu = {});
    // Lists the current folder again, keeping the current picture when it is still there.
    void relire();
    QString dossier() const { return dossier_; }
    bool listageEnCours() const { return enVol_.contains(dossier_); }
    QString erreur() const { return erreur_; }

    // The pattern of the file list (";"-separated, case-insensitive).
    void setMotif(const QString& motif);
    QString motif() const { return motif_; }

    QStringList sousDossiers() const { return sousDossiers_; }
    // The file list: names under the pattern.
    const QStringList& fichiers() const { return fichiers_; }
    // Every picture of the folder whatever the pattern: what the viewer steps through.
    const QStringList& images() const { return images_; }
    QString chemin(const QString& nom) const;
    // What a file of the current folder is on disk, measured when first asked
    // and kept until the folder is listed again (the watcher lists it again
    // when another program changes it); unknown for any other path, and before
    // the folder has answered. Caches key pictures by it.
    IdentiteFichier identite(const QString& chemin) const;

    // The current picture. Selecting an index of the file list, or naming a
    // path: when it lies in the current folder and is listed, its index follows.
    void selectionner(qint64 index);
    void setFichierCourant(const QString& chemin);
    void effacerCourant();

    QString FichierCourant() const { return courant_; }
    QString NomFichierCourant() const;
    QString ExtensionCourante() const { return NomFichierCourant().right(3); }
    qint64 IndexFichier() const { return index_; }

signals:
    void dossierChange(); // at once, before the listing arrives
    void listeChangee();  // a listing arrived, or the pattern changed
    void courantChange();

private:
    // What a listing that arrives does to the current picture.
    enum class Suite { Oublier, Garder, Suivre };
    struct Lien;
    void lister(const QString& nomAttendu, Suite suite);
    void lancer(const QString& dossier);
    void recevoir(const QString& dossier, const ContenuDossier& contenu, bool sautee);
    void appliquer(const ContenuDossier& contenu);
    void suivreCourant(const QStringList& avant, const IdentiteFichier& identiteAvant);
    void surveiller();
    void filtrer();
    void poserCourant(const QString& chemin, bool annoncer);

    Lister lister_;
    std::shared_ptr<Lien> lien_; // shared with the listings that run
    QSet<QString> enVol_;        // folders whose listing runs
    QSet<QString> aRelire_;      // asked again while their listing ran
    QString nomAttendu_;
    Suite suite_ = Suite::Oublier;
    VeilleDossier veille_;
    QTimer lot_;
    QString dossier_;
    QString motif_ = QStringLiteral("*.*");
    QString erreur_;
    QStringList sousDossiers_;
    QStringList tous_;
    bool repondu_ = false; // the folder has answered a listing
    mutable QHash<QString, IdentiteFichier> identites_;
    QStringList fichiers_;
    QStringList images_;
    QString courant_;
    qint64 index_ = -1;
};
