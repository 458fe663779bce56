#pragma once
// Two controls only the main window needs: the scheme label of the options
// panel, and the options panel itself, whose caption runs up its left margin
// because its entries fill the whole height.
#include "app/skin.h"

#include <QLabel>
#include <array>

// "[COULEURS]": right button switches to the second scheme; its tooltip follows
// the on/off rule of the skinned controls.
class LibelleCouleurs : public QLabel {
    Q_OBJECT
public:
    LibelleCouleurs(QWidget* parent, const QString& nom, const QString& texte);
    void setInfoBulle(const QString& texte, const bool* actif);
    QString infoBulle() const { return infoBulle_; }

signals:
    void boutonDroit();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QString infoBulle_;
    const bool* actif_ = nullptr;
};

class PanneauOptions : public PanneauSkin {
    Q_OBJECT
public:
    PanneauOptions(QWidget* parent, const QString& nom, const QString& titre);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The buttons of a bar or a menu, reached by their entry in `Entree`.
template <class Entree, Entree Nombre>
struct Boutons {
    BoutonSkin*& operator[](Entree e) { return boutons[static_cast<size_t>(e)]; }
    BoutonSkin* operator[](Entree e) const { return boutons[static_cast<size_t>(e)]; }
    std::array<BoutonSkin*, static_cast<size_t>(Nombre)> boutons{};
};

// The icons of the bar under the display box, from the left (after the format button).
enum class Icone {
    CmdExplorer,
    CmdRenommer,
    CmdCopFich,
    CmdSupFic,
    CmdCopImg,
    CmdSlideShow,
    CmdFond,
    CmdMusique,
    CmdPaint,
    CmdPressPap,
    CmdMiniatures,
    CmdDorvik,
    CmdApropos,
    CmdAide,
    Nombre
};

// The entries of the options panel PopUpInfos: about, colours, options, removal, close.
enum class Option {
    CmdApropos2,
    CmdCoulDeb,
    CmdCoulFin,
    CmdCoulTxt,
    CmdLumiere,
    CmdAutrTxt,
    CmdCoulFondFen,
    CmdCoulVisu,
    CmdReset,
    CmdBulAide,
    CmdConseilDem,
    CmdSupprCle,
    CmdQuelvio,
    CmdFerMnu,
    Nombre
};

// The entries of the file menu FondFilePopUp the file list's right button opens.
enum class EntreeFichier { mnuRenommerFile, mnuCopierFile, mnuSupprimerFile, mnuAnnulerFile, Nombre };

// A menu entry: a flat text button, 255 twips high, that lights up under the mouse.
BoutonSkin* entreeMenu(QWidget* parent, const char* nom, const char* texte, int gauche, int haut, int largeur);

// A thin separator line between groups of entries.
QFrame* ligneSeparation(QWidget* parent, const QString& nom, int gauche, int haut, int largeur);
