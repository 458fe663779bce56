#pragma once
// Pages of nine thumbnails over a folder's pictures: the list, the position
// shown in the middle cell (1-based, as the user counts) and how paging and a
// click on a cell move it. Full-width counts: a folder may hold more pictures
// than a 16-bit number can count.
#include <QString>
#include <QStringList>

class PagesMiniatures {
public:
    static constexpr int NbCellules = 9;
    static constexpr int Milieu = 4;

    // A new list puts the position on its first picture. An empty list keeps the
    // position as it was, and every cell is empty.
    void setListe(const QStringList& chemins);
    void setPosition(qint64 position) { position_ = borner(position); }
    // The same folder listed again: the position stays, within the new list.
    void actualiserListe(const QStringList& chemins);

    qint64 NbMiniatures() const { return liste_.size(); }
    qint64 ImageCentree() const { return position_; }
    const QStringList& liste() const { return liste_; }

    void pagePrecedente(); // CmdVHaut, left button
    void pageSuivante();   // CmdVBas, left button
    void debut();          // CmdVHaut, right button
    void fin();            // CmdVBas, right button
    void clicCellule(int cellule);
    // The wheel turned by `huitiemes` eighths of a degree (120 a notch, negative
    // towards the user): a page forward per notch towards the user, a page back per
    // notch away. Touchpads send fractions of a notch, which add up until they make
    // one. Returns the pages turned, negative when back (0: the position stays).
    int molette(int huitiemes);

    // The list index (1-based) cell `cellule` shows at `position`; 0 when none.
    qint64 indexCellule(int cellule, qint64 position) const;
    qint64 indexCellule(int cellule) const { return indexCellule(cellule, position_); }
    // The picture of a cell, empty when the cell has none.
    QString entree(int cellule, qint64 position) const;
    QString entree(int cellule) const { return entree(cellule, position_); }
    QString centree() const { return entree(Milieu); }
    // The position the next page in direction `sens` (-1 or +1) would show;
    // the current one when there is none.
    qint64 positionVoisine(int sens) const;

private:
    qint64 borner(qint64 position) const;

    QStringList liste_;
    qint64 position_ = 1;
    int rouletteCumul_ = 0;
};
