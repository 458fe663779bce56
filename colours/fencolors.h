#pragma once
// The backdrop colour chooser: three vertical sliders mix red, green and blue, the
// top of a slider being full intensity. The positions live in General so that
// each opening starts where the sliders were left by the last OK.
#include <QColor>
#include <QDialog>
#include <QPointer>
#include <array>

class General;
class FenFond;
class BoutonSkin;
class PanneauSkin;
class QScrollBar;

// A plain colour area (a picture box used as a swatch).
class ZoneCouleur : public QWidget {
    Q_OBJECT
public:
    ZoneCouleur(QWidget* parent, const QString& nom);
    QColor couleur() const { return couleur_; }
    void setCouleur(const QColor& c);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor couleur_{Qt::black};
};

class FenColors : public QDialog {
    Q_OBJECT
public:
    // `fond` may be null: OK then only sets the backdrop colour, which the backdrop
    // takes when it is next created.
    FenColors(General& g, QWidget* parent, FenFond* fond = nullptr);

    // The colour the three sliders mix.
    QColor couleurMelangee() const;

    // Cancel: the backdrop colour and the three positions as they were at opening.
    void reject() override;

private:
    void creerCadre();
    void creerPanneaux();
    void appliquerSchema();
    void glissiereChangee(int k);
    void valider();

    General& g_;
    QPointer<FenFond> fond_;
    std::array<int, 3> positionsInitiales_{};

    BoutonSkin* titre_ = nullptr;
    QList<BoutonSkin*> bandesDirectes_; // start colour first
    QList<BoutonSkin*> bandesInverses_; // end colour first
    BoutonSkin* ok_ = nullptr;
    BoutonSkin* annul_ = nullptr;
    PanneauSkin* fondCouleur_ = nullptr;
    PanneauSkin* fondReglage_ = nullptr;
    std::array<ZoneCouleur*, 3> parts_{};
    ZoneCouleur* melange_ = nullptr;
    std::array<QScrollBar*, 3> glissieres_{};
};
