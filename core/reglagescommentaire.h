#pragma once
// The comment shown over the full-screen picture: whether it shows, its corner
// (both for the run only) and its font and colour (kept in the settings).
#include <QColor>
#include <QFont>
#include <QString>

class Reglages;

// None until comments are first switched on: the label then keeps its place.
enum class CoinCommentaire { Aucun, HautGauche, HautDroite, BasGauche, BasDroite };

// The seven "Commentaire" keys, typed. Each key also keeps the text it was read
// from until its value is set: a stored text that is no value or another spelling
// of one ("true", "&H0FFFF", a size that is no number) goes back to the file as it
// was when the font or the colour alone changes.
class PoliceCommentaire {
public:
    PoliceCommentaire(); // the values in force when nothing is stored
    void lire(const Reglages& store);
    // The seven keys in one write of the file.
    void ecrire(Reglages& store) const;

    QFont police() const;
    QColor couleur() const { return couleur_; }
    // The name, size (rounded to a whole point) and four styles of `police`.
    void setPolice(const QFont& police);
    void setCouleur(const QColor& couleur);

private:
    void depuisTextes();

    QString nom_;
    double taille_ = 18; // points
    bool gras_ = true;
    bool italique_ = false;
    bool barree_ = false;
    bool soulignee_ = false;
    QColor couleur_;
    // In the order of the keys, which is the order they are written in.
    QString textes_[7];
};

struct ReglagesCommentaire {
    bool affiche = false;
    CoinCommentaire coin = CoinCommentaire::Aucun;
    PoliceCommentaire police;
};
