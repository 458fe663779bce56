#pragma once
// The current folder, its files under the chosen pattern and the current
// picture: the one place every view reads them from (the browser, the
// full-screen viewer, and whatever acts on "the selected file"). Listing runs
// off the interface thread; a listing that arrives after a newer request has
// been made is dropped. Paths and names are in the form of
// platform/nomsfichiers.h, so a name that is not UTF-8 is kept exactly.
#include "platform/listedossier.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <functional>

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
    bool listageEnCours() const { return enCours_ != 0; }
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
    void lister(const QString& nomAttendu, bool garderCourant);
    void recevoir(quint64 generation, const ContenuDossier& contenu, const QString& nomAttendu, bool garderCourant);
    void filtrer();
    void poserCourant(const QString& chemin, bool annoncer);

    Lister lister_;
    QThreadPool pool_;
    quint64 generation_ = 0;
    int enCours_ = 0;
    QString dossier_;
    QString motif_ = QStringLiteral("*.*");
    QString erreur_;
    QStringList sousDossiers_;
    QStringList tous_;
    QStringList fichiers_;
    QStringList images_;
    QString courant_;
    qint64 index_ = -1;
};
