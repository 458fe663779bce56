#pragma once
// The welcome notice: greets the user, points to the remarks help topic, and lets the
// user stop it from appearing at the next starts.
#include <QDialog>
#include <QStringList>

class General;
class QCheckBox;
class QTextEdit;

class Avertis : public QDialog {
    Q_OBJECT
public:
    Avertis(General& g, QWidget* parent = nullptr);

    // The three pieces of the welcome text joined; the runs of spaces put the title and
    // the closing sentence on lines of their own once wrapped.
    static QString texteBienvenue();
    // The serif families tried for the text, in order, among those installed.
    static QStringList famillesEssayees(const QStringList& installees);
    // Sets the text's font to the first family tried that lays it out within the box
    // (else the one that overflows least) and returns it.
    static QString choisirPolice(QTextEdit* boite, const QStringList& installees);

signals:
    // "Remarques et particularités", just before the notice closes: the topic opens
    // once the main window is active again.
    void remarquesDemandees();

private:
    void construire();

    General& g_;
    QTextEdit* text1_ = nullptr;
    QCheckBox* coche1_ = nullptr;
};
