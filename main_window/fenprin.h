#pragma once
// The main window: a borderless frame with its own title row, the browser column,
// the display box, the icon bar and the pop-up panels drawn over them on demand.
#include "core/schema.h"
#include "main_window/controlesfenprin.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class BoutonSkin;
class General;
class LibelleCouleurs;
class MessageFenPrin;
class Miniatures;
class Navigateur;
class PanneauCopie;
class PanneauRenommer;
class PanneauSkin;
class PosteSons;
struct ResultatCopie;
class QDialog;
class Sablier;

// Each part below is in the file its heading names; the panels with behaviour of
// their own are classes of their own (MessageFenPrin, PanneauRenommer, PanneauCopie,
// and the browser's PanneauFormats).
class FenPrin : public QWidget {
    Q_OBJECT
public:
    // Shows a dialog modally; tests substitute one that records and closes it.
    using MontrerModal = std::function<void(QDialog&)>;

    explicit FenPrin(General& g, MontrerModal montrerModal = {}, QWidget* parent = nullptr);
    ~FenPrin() override;

    // The load sequence: closes the splash, shows the window, reads the settings,
    // shows the welcome notice and the tips, opens the start folder. `argument` is
    // the command line's file or folder (empty: the stored start folder).
    void charger(QWidget* splash = nullptr, const QString& argument = QString(), bool autreInstance = false);
    // Applies the seven scheme colours to every control of the window.
    void ProcCoulDefUtil();
    // Shows a message in the message panel, by default as errors are reported here:
    // with its icon and cue 21.
    void afficherMessage(const QString& titre, const QString& texte, bool avecIcone = true, int son = 21);

    // The thumbnail page is shown in place of the browser's picture.
    bool modeMiniatures() const { return modeMiniatures_; }
    // The backdrop window is on screen.
    bool fondAffiche() const { return fondAffiche_; }
    Navigateur* navigateur() const { return navigateur_.get(); }
    Miniatures* miniatures() const { return miniatures_; }
    // The music panel's player: MCIWnd1, Timer2, RepetitionSon (fenprin_sons.cpp).
    PosteSons& sons() const { return *sons_; }

protected:
    bool event(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // The frame, the icon bar, the window's own events (fenprin.cpp)
    void construireCadre();
    void construireBarreIcones();
    void relierCadre();
    void relierBarreIcones();
    void montrer(QDialog& d);
    General& g;
    MontrerModal montrerModal_;
    BoutonSkin* CmdDeplaceFen = nullptr;
    BoutonSkin* CmdReduire = nullptr;
    BoutonSkin* CmdFermer = nullptr;
    BoutonSkin* Forme3 = nullptr; // the caption line under the display box
    PanneauSkin* FondIcones = nullptr;
    BoutonSkin* CmdTypExt = nullptr;
    Boutons<Icone, Icone::Nombre> icones_;

    // Start-up and activation (fenprin_chargement.cpp)
    // Shown centred where the splash `splash` (if any) stands, which then closes.
    void prendreLaPlaceDe(QWidget* splash);
    void lireOptions();
    void montrerAvertissement();
    void montrerConseils();
    QString dossierDepart() const;
    void erreurDemarrage();
    void cacherBoutonsImage();
    void placerPanneaux();
    void activation();
    bool remarquesDemandees_ = false; // by the welcome notice, for the next activation

    // The browser, the full-screen view, drops (fenprin_navigateur.cpp)
    void construireNavigateur();
    bool ouvrirDepart(const QString& argument, const QString& dossier);
    void ouvrirDemande(const QString& chemin);
    // Opens the nearest folder above `chemin` that can be read, once found off the
    // interface thread; unless the user has gone elsewhere meanwhile.
    void ouvrirParentExistant(const QString& chemin);
    void passagePleinEcran();
    void lancerDiaporama();
    void reglagesDiaporama();
    std::unique_ptr<Navigateur> navigateur_;
    quint64 ticketParent_ = 0;

    // The pop-up panels: options, file menu, message, covers (fenprin_panneaux.cpp)
    void construirePopUpInfos();
    void construirePanneaux();
    void relierPanneaux();
    // Hides the named pop-up panels (true: hide).
    void masquerPanneaux(bool popUpInfos, bool fondSons, bool fondTypExt, bool fondFilePopUp);
    void basculerPopUpInfos();
    void basculerInfoBulles();
    void basculerConseilDemarrage();
    void montrerApropos();
    PanneauOptions* PopUpInfos = nullptr;
    LibelleCouleurs* LblChangerCoul = nullptr;
    Boutons<Option, Option::Nombre> options_;
    PanneauSkin* FondFilePopUp = nullptr;
    Boutons<EntreeFichier, EntreeFichier::Nombre> menuFichier_;
    MessageFenPrin* FondMessage = nullptr;
    PanneauSkin* CacheIcones = nullptr;
    PanneauSkin* CacheFichiers = nullptr;

    // The music panel (fenprin_sons.cpp)
    void construireSons();
    void relierSons();
    void basculerSons();
    PanneauSkin* FondSons = nullptr;
    PosteSons* sons_ = nullptr;

    // The thumbnail page (fenprin_miniatures.cpp)
    void construireMiniatures();
    void relierColonneMiniatures();
    void afficherMiniatures(bool oui);
    void pleinEcranCentree();
    void couleurFond();
    Miniatures* miniatures_ = nullptr;
    bool modeMiniatures_ = false;

    // File operations (fenprin_fichiers.cpp). `source` is the file acted on: the
    // current picture in the list form, the centred thumbnail in the other.
    void construireRenommer();
    void relierFichiers();
    bool selectionPresente();
    // The picture selected in the file list, empty when none is.
    QString fichierSelectionne() const;
    void ProcCopFic();
    void ProcSupFic();
    void ProcCopImg();
    void ouvrirRenommer();
    void copierFichierVers(const QString& source, bool formeListe);
    // What the copy of `source` to `destination` came to: its sound, or its message.
    void rendreCompteCopie(const QString& source, const QString& destination, const ResultatCopie& r);
    void supprimerFichier(const QString& source, bool formeListe);
    void copierImage(const QString& source);
    // The first paint program installed, on `image`; a message when there is none.
    void lancerPaint(const QString& image);
    void ProcGestFich();
    void suivreSelectionRenommer(bool formeMiniatures);
    // Renames `chemin` as the rename panel asks; a refusal is said, the panel staying open.
    void renommer(const QString& chemin, const QString& nouveauNom);
    // Selects the entry `index` (0 when below) once the folder has been listed again.
    void selectionnerApresRelecture(qint64 index, std::function<void()> ensuite = {});
    void oublierCourant();
    PanneauRenommer* RenommerFile = nullptr;
    PanneauCopie* FondCopie = nullptr;
    // Where the last copy went: the next Save As dialog opens there.
    QString dernierDossierCopie_;
    std::unique_ptr<Sablier> sablierCopieImage_;
    quint64 ticketCopieImage_ = 0;

    // Colours and the backdrop (fenprin_couleurs.cpp)
    void changerCouleur(Role r);
    void ProcChangeCoul();
    void reinitialiserCouleurs();
    void secondSchema();
    void desinstaller();
    void boutonFond(Qt::MouseButton bouton);
    void afficherFenFond(bool oui);
    std::array<bool, NbRoles> ChoixCouleur{};
    std::array<QString, NbRoles> CouleurAvantChoix;
    QColor derniereCouleurDialogue_ = Qt::black;
    QPointer<QWidget> fenFond_;
    bool fondAffiche_ = false;
};
