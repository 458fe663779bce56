#pragma once
// Tip of the day: one tip of Conseils.txt chosen at random, the next one on request,
// and the switch that shows or hides this window at the next starts.
#include <QByteArray>
#include <QDialog>
#include <QStringList>
#include <functional>

class General;
class QCheckBox;
class QLabel;

// The tips of a file's content, one per line in file order. A line ends at CR LF, LF or a
// lone CR; the end of the last line needs no terminator; an empty line is an empty tip.
// UTF-8, or Windows-1252/Latin-1 when the bytes are not valid UTF-8 (older tips files).
QStringList lireConseils(const QByteArray& contenu);

class Conseils : public QDialog {
    Q_OBJECT
public:
    // Reads DossierProgramme()/Conseils.txt.
    Conseils(General& g, QWidget* parent = nullptr);
    // `fichier`: the tips file; `aleatoire`: a number in [0, 1) drawn once to pick the first tip.
    Conseils(General& g, const QString& fichier, std::function<double()> aleatoire, QWidget* parent = nullptr);

    bool LoadTips(const QString& sFile);
    void DisplayCurrentTip();
    void tipSuivant(); // CmdNextTip

    const QStringList& ListeConseils() const { return liste_; }
    int ConseilCourant() const { return courant_; }

    static QString fichierParDefaut();
    static const QString MessageFichierAbsent;

private:
    void construire();
    void appliquerCoches();

    General& g_;
    std::function<double()> aleatoire_;
    QStringList liste_;
    int courant_ = 0;
    QLabel* lblTipText_ = nullptr;
    QCheckBox* chk_ = nullptr;
};
