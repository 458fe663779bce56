#pragma once
// The welcome notice: greets the user, points to the remarks help topic, and lets the
// user stop it from appearing at the next starts.
#include <QDialog>

class General;
class QCheckBox;
class QPlainTextEdit;

class Avertis : public QDialog {
    Q_OBJECT
public:
    Avertis(General& g, QWidget* parent = nullptr);

    // The three pieces of the welcome text joined; the runs of spaces put the title and
    // the closing sentence on lines of their own once wrapped.
    static QString texteBienvenue();

private:
    void construire();

    General& g_;
    QPlainTextEdit* text1_ = nullptr;
    QCheckBox* coche1_ = nullptr;
};
