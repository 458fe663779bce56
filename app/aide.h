#pragma once
// The built-in help viewer. A help address is the help folder ("…/Ormelle.chm"),
// optionally followed by "::/htm/" and a page name; the page is the file of that name
// under the folder's htm/ subfolder. One window serves every call, brought to the front.
#include <QWidget>

class QTextBrowser;
class QPushButton;

// The file an address shows: the page when it exists, otherwise the help's index page
// (Ormelle.chm/index.htm). Both "/" and "\" are accepted after "::", as is a page
// named with its "htm/" folder or without it.
QString fichierDepuisAdresseAide(const QString& adresse);

class FenAide : public QWidget {
    Q_OBJECT
public:
    explicit FenAide(QWidget* parent = nullptr);

    void ouvrir(const QString& adresse);
    QTextBrowser* navigateur() const { return navigateur_; }

    // The one help window of the run, created on first use.
    static FenAide* instance();

private:
    void majBoutons();

    QTextBrowser* navigateur_;
    QPushButton* precedent_;
    QPushButton* suivant_;
    QPushButton* sommaire_;
    QString index_;
};
