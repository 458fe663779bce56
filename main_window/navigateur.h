#pragma once
// The browser column of the main window (drive, folder and file lists, the
// format panel) and the centred display of the selected picture. It shows the
// folder model's folder, list and current picture and asks the picture service
// for the preview; a preview no longer wanted is cancelled.
#include "platform/lecteurs.h"

#include "core/imageprete.h"

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class General;
class PanneauFormats;
class PanneauSkin;
class BoutonSkin;
class Sablier;
class QComboBox;
class QListWidget;
class QListView;
class QStringListModel;
class QWidget;
class AffichageImage;
class Animation;

class Navigateur : public QObject {
    Q_OBJECT
public:
    Navigateur(General& g, QWidget* fenetre, QObject* parent = nullptr);
    ~Navigateur() override;

    void basculerPanneauFormats(); // CmdTypExt click
    void boutonDroitTypExt();      // CmdTypExt right button
    void montrerPanneauFormats();  // CmdVTypExt click: shown at its place, with the focus
    bool ouvrirDossier(const QString& dossier,
                       const QString& nomAttendu = {}); // false when missing/unreadable (the frame shows its error)
    // Its folder, the file selected and shown; a pattern that hides it gives way to "*.*".
    bool ouvrirFichier(const QString& chemin);
    void appliquerCouleurs(); // list colours, format buttons' gradients from the scheme
    void AfficheImage();
    // What the preview asks of the picture service for `chemin`; the file is looked at
    // (stat) when no listing has given it.
    static DemandeImage demandeApercu(General& g, const QString& chemin, qreal ratioPixels);
    static QString NomFichierR(const QString& chemin, const QString& separateur);
    PanneauSkin* FondTypExt() const;
    void setLegendeVTypExt(std::function<void(const QString&)> f); // CmdVTypExt of the thumbnail page
    // The thumbnail page is shown in place of the centred picture.
    // The frames of an animated preview stop beneath it and start again after it.
    void setModeMiniatures(bool oui);
    // The animated preview playing, if any.
    Animation* animation() const { return animation_.get(); }

    // Replaces where the drives come from (tests) and refills Drive1.
    void setSourceLecteurs(std::function<QList<Lecteur>()> source);
    // The entries of the file list, as shown.
    QStringList fichiers() const;
    // Where the picture was last placed, in twips of the window, and what is drawn there.
    QRectF rectangleImage() const { return rectangleImage_; }
    QImage imageCourante() const;
    bool chargementEnCours() const { return sablier_ != nullptr; }
    // Gives the focus to File1, where the user picks a file after an error.
    void donnerFocusFichiers();
    // File1 answers the user or not (the thumbnail page covers its use).
    void activerFichiers(bool oui);

signals:
    void imageAffichee(bool ok);
    void listeChargee();
    // What the browser asks of the window around it.
    void masquerPanneaux(bool popUpInfos, bool fondSons, bool fondTypExt, bool fondFilePopUp);
    void legendeChangee(const QString& legende);       // Forme3
    void legendeTypExtChangee(const QString& legende); // CmdTypExt: "  *.*", " BMP", "TOUS"…
    void diaporamaPossible();                          // CmdSlideShow
    void menuFichierDemande();                         // FondFilePopUp
    void cacheFichiersBascule();                       // CacheFichiers shown or hidden
    void pleinEcranDemande();                          // the full-screen hand-off, modal
    // The thumbnail list rebuilt, `centree` in the middle when it names a picture.
    void dossierMiniaturesDemande(const QString& centree);
    void dossierIllisible(const QString& dossier, const QString& erreur);

private:
    // Construction (navigateur.cpp, navigateur_formats.cpp)
    void construireListes();
    void construirePanneauFormats();
    void relierListes();

    // Drives and folders (navigateur_dossiers.cpp)
    void remplirLecteurs();
    void changerLecteur();
    void selectionnerLecteurDe(const QString& dossier);
    void montrerDossier();
    void changerDossier(const QString& dossier, const QString& nomAttendu = {});
    void ouvrirEntreeDossier(int ligne);
    void recevoirListe();

    // Files (navigateur_fichiers.cpp)
    void fichierSelectionne(int ligne);
    void montrerCourant();
    void selectionnerCourant();
    bool toucheFichiers(int touche);
    void selectionnerLigne(qint64 ligne);
    void doubleClicFichier();
    void clicImage();
    void boutonDroitFichiers();
    void masquer(bool popUpInfos, bool fondSons, bool fondTypExt, bool fondFilePopUp);
    void changementDeDossier();
    void passagePleinEcran();

    // Formats (navigateur_formats.cpp)
    void choisirFormat(const QString& motif, const QString& legende, const QString& legendeV);
    void choisirAutre();
    void poserLegendes(const QString& legende, const QString& legendeV);
    void elargirMotif();

    // Display (navigateur_affichage.cpp)
    void recevoirImage(const ImagePrete& image);
    void animerApercu();
    void suivreRatio();

    bool eventFilter(QObject* o, QEvent* e) override;

    General& g_;
    QWidget* fenetre_;
    std::function<void(const QString&)> legendeV_;
    std::function<QList<Lecteur>()> sourceLecteurs_;
    QList<Lecteur> lecteurs_;
    int lecteurAffiche_ = -1;

    QComboBox* drive1_ = nullptr;
    QListWidget* dir1_ = nullptr;
    QListView* file1_ = nullptr;
    QStringListModel* modeleFichiers_ = nullptr;
    AffichageImage* image1_ = nullptr;
    PanneauFormats* fondTypExt_ = nullptr;

    bool clicSurCourant_ = false; // the mouse went down on the entry already selected
    bool apercuSuspendu_ = false; // the full-screen view covers the window
    bool modeMiniatures_ = false;
    quint64 ticketImage_ = 0;
    ImagePrete apercu_; // the preview's first frame, while it is shown
    std::unique_ptr<Animation> animation_;
    std::unique_ptr<Sablier> sablier_;
    QRectF rectangleImage_;
};
