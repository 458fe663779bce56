#pragma once
// The thumbnail page of the main window: nine cells around the position in the
// folder's list, and the column of buttons that act on the middle picture. Cells
// are decoded by the picture service at cell size, the middle cell first; a page
// left before it is complete cancels what it still waits for; decoded cells are
// kept in a cache bounded in bytes, and once a page is complete the next one in
// the direction of travel is decoded ahead. The interface never waits for a decode.
#include "core/cacheminiatures.h"
#include "core/pagesminiatures.h"

#include <QObject>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class BoutonSkin;
class General;
class PanneauSkin;
class Sablier;

// One cell: the picture at its top-left corner with a single-line border, or nothing.
class CelluleMiniature : public QWidget {
    Q_OBJECT
public:
    CelluleMiniature(QWidget* parent, int index);
    void montrer(const QImage& image, const QSizeF& tailleTwips);
    // A metafile page: the picture at its own size from the cell's corner, cut at the
    // cell's edges, without border.
    void montrerSansEtirer(const QImage& image);
    void vider(const QString& infoBulle = QString());
    bool aImage() const { return !image_.isNull(); }
    QImage image() const { return image_; }
    // Where the picture is drawn, in pixels of the cell.
    QRect rectangleImage() const { return rect_; }

signals:
    void clique(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    int index_;
    QImage image_;
    QRect rect_;
    bool etiree_ = true;
};

class Miniatures : public QObject {
    Q_OBJECT
public:
    Miniatures(General& g, QWidget* fenetre);
    ~Miniatures() override;

    // The page is on display (ModeMiniatures): the list then follows the
    // folder model when the folder it was built from is listed again.
    void setActif(bool oui);
    // Builds the list from the folder model and paints the page at `position`
    // (the first picture, unless a benchmark wants a full page).
    void DossierMiniatures(qint64 position = 1);
    // The same, with `chemin` in the middle cell when the list holds it: a picture
    // opened by name is the one the user looks for.
    void DossierMiniaturesSur(const QString& chemin);
    // Brings `chemin` to the middle cell when the list holds it.
    void centrer(const QString& chemin);
    void AfficheMiniatures();
    QString centree() const { return pages_.centree(); }
    const PagesMiniatures& pages() const { return pages_; }
    bool pageComplete() const { return restantes_ == 0; }
    bool anticipationComplete() const { return anticipees_ == 0; }
    const CacheMiniatures& cache() const { return cache_; }
    void oublier(const QString& chemin);

    PanneauSkin* FondMiniatures = nullptr;
    std::array<CelluleMiniature*, PagesMiniatures::NbCellules> Image2{};
    BoutonSkin* CmdVHaut = nullptr;
    BoutonSkin* CmdVBas = nullptr;
    BoutonSkin* CmdVTypExt = nullptr;
    BoutonSkin* CmdVPlEcr = nullptr;
    BoutonSkin* CmdVRename = nullptr;
    BoutonSkin* CmdVCopFich = nullptr;
    BoutonSkin* CmdVSupFic = nullptr;
    BoutonSkin* CmdVPaint = nullptr;
    BoutonSkin* CmdOrmelle = nullptr;

signals:
    void legendeChangee(const QString& legende); // Forme3
    void pageAffichee();                         // every cell of the page has its picture
    void anticipationTerminee();                 // the next page is in the cache
    void centreeChangee();                       // another picture (or none) in the middle cell

private:
    void construire(QWidget* fenetre);
    void relier();
    QStringList listeModele() const;
    void construireListe();
    void listeRecue();
    bool eventFilter(QObject* o, QEvent* e) override;
    bool touche(int code);
    void deplacer(int sens, void (PagesMiniatures::*pas)());
    void allerA(qint64 position);
    void recevoir(int cellule, quint64 generation, const ImagePrete& image);
    void remplir(int cellule, const ImagePrete& image);
    void pageTerminee();
    void anticiper();
    void annulerAnticipation();
    void annoncerCentree();
    bool pageDeMetafichiers() const;
    QString cle(const QString& chemin) const;
    bool pageChangee() const;
    DemandeImage demande(const QString& chemin) const;

    General& g_;
    PagesMiniatures pages_;
    CacheMiniatures cache_;
    QString dossierListe_; // the folder the list was built from
    QString cheminVoulu_;  // the picture to centre once the list is built
    QString centreeAnnoncee_;
    bool actif_ = false;
    bool attendreListe_ = false;
    qint64 positionVoulue_ = 1;
    int sens_ = 1;
    quint64 generation_ = 0;
    int restantes_ = 0;
    int anticipees_ = 0;
    std::array<quint64, PagesMiniatures::NbCellules> tickets_{};
    std::array<QString, PagesMiniatures::NbCellules> clesPage_; // of the picture each cell shows or waits for
    std::vector<quint64> ticketsAnticipes_;
    std::unique_ptr<Sablier> sablier_;
};
