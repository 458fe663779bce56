#pragma once
// The program's own message box, drawn in the user's colour scheme.
//
// Tests drive the real box: its two answer buttons are BoutonSkin objects named
// "CmdReponse0" ("Oui") and "CmdReponse1" ("Non"), found with findChild while
// afficherBoiteMessage waits in the box's modal loop.
#include <QDialog>
#include <QString>
#include <array>

class BoutonSkin;
class General;
class PanneauSkin;
class QLabel;

class FenMsgBox : public QDialog {
    Q_OBJECT
public:
    // Loads the box: scheme, size, and the icon of its kind `icone`.
    FenMsgBox(General& g, QWidget* parent, int icone);
    // The cue of the icon, played by afficherBoiteMessage just before the box shows.
    void jouerCue();

    void setTitre(const QString& titre);
    void setTexte(const QString& texte);
    // "-1" after "Oui", "0" after "Non", empty when closed any other way.
    QString tag() const { return tag_; }

    // Icon resource and cue of an icon kind (1 stop, 2 exclamation, 3 information,
    // 4 question); an empty path and 0 for any other kind.
    static QString ressourceIcone(int icone);
    static int cueIcone(int icone);

private:
    void repondre(const QString& tag);

    General& g_;
    int icone_;
    PanneauSkin* fondMessage_;
    QLabel* lblMessage_;
    QLabel* icoMsg_;
    // PicArret, PicExclam, PicInfo, PicQuest: icon kinds 1 to 4.
    std::array<QLabel*, 4> pics_{};
    QString tag_;
};

// What BoiteMessage runs: shows the box modally and returns -1 for "Oui", 0 for "Non"
// or for a close. An empty title reads "Confirmation", an empty text the default question.
int afficherBoiteMessage(General& g, QWidget* parent, int icone, const QString& texte, const QString& titre);
