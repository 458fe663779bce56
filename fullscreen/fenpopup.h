#pragma once
// FenPopUp: the viewer's pop-up menu. Never shown itself, it carries the menu
// tree; most entries only ask the viewer for something it carries out once the
// menu has closed (PleinEcran::apresMenu).
#include "core/reglagescommentaire.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

class General;
class PleinEcran;
class QAction;
class QMenu;

// What "Musique et sons" drives: the full-screen music player, built apart.
class LecteurMusique {
public:
    virtual ~LecteurMusique() = default;
    virtual void chargerSon() = 0;
    virtual void jouerSon() = 0;
    virtual void chargerJouerSon() = 0;
    virtual void dureeSon() = 0;
    virtual void repeterSon() = 0;
    virtual void arreterSon() = 0;
    // Whether the entries that need a loaded sound may be chosen.
    virtual bool sonCharge() const = 0;
    virtual bool repetition() const = 0;
    // The submenu opens: the next command may well be a play.
    virtual void preparer() {}
};

class FenPopUp : public QObject {
    Q_OBJECT
public:
    FenPopUp(General& g, PleinEcran& viewer, LecteurMusique* musique = nullptr);
    ~FenPopUp() override;

    // Opens the menu at a screen point and returns at once; the viewer's
    // after-menu work runs once the menu has closed.
    void ouvrir(QPoint position);
    QMenu* menu() const { return menu_.get(); }
    QAction* action(const QString& nom) const;

signals:
    void ferme();

private:
    void construire();
    void synchroniser();
    void apresFermeture();
    QAction* entree(QMenu* m, const char* nom, const QString& texte, std::function<void()> action = {});
    void separateur(QMenu* m, const char* nom);
    QMenu* sousMenu(QMenu* m, const char* nom, const QString& titre);
    QAction* nommer(QAction* a, const char* nom);
    void choisirCoin(CoinCommentaire coin);
    void fondEcran();
    void reglages();
    void paint();

    General& g_;
    PleinEcran& viewer_;
    LecteurMusique* musique_;
    std::unique_ptr<QMenu> menu_;
    QAction* adaptC_[3] = {};
    QAction* afAl_ = nullptr;
    QAction* afficherCommentaire_ = nullptr;
    QAction *hg_ = nullptr, *hd_ = nullptr, *bg_ = nullptr, *bd_ = nullptr;
    bool fermetureEnAttente_ = false;
    QHash<QString, QAction*> parNom_; // every entry, separator and submenu, by objectName
};
