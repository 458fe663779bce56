#pragma once
// The about window: twenty lines rising slowly through a framed viewport, without end,
// a link to the maker's site and a close button.
#include <QDialog>
#include <QStringList>
#include <QUrl>

class General;
class QTimer;
class ToileApropos;

class Apropos : public QDialog {
    Q_OBJECT
public:
    Apropos(General& g, QWidget* parent = nullptr);

    static QStringList lignesTexte(); // the 20 lines, numbered 0 to 19
    static bool grandeLigne(int i);   // 18 pt rather than 10 pt
    static const QUrl AdresseSite;

    // One tick of Minuterie1: place the canvas, move one pixel up, jump back below
    // -0.528 × its height. Tests call it directly; the timer calls it every 50 ms.
    void defiler();

    int DecalageDefilement() const { return decalage_; }
    QTimer* minuterie() const { return minuterie_; }
    QWidget* toile() const;
    QWidget* vue() const; // the inside of Image1, which clips the canvas

private:
    void construire();
    void mettreEnPage();
    void basculerDefilement();

    General& g_;
    ToileApropos* image2_ = nullptr;
    QWidget* vue_ = nullptr;
    QTimer* minuterie_ = nullptr;
    int decalage_ = 0;
};
