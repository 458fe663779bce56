// The built-in help viewer: from a topic address to a page of the help folder.
#include "app/aide.h"
#include "app/services.h"
#include "commun/connexionsrompues.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

class TestAide : public QObject {
    Q_OBJECT

    QTemporaryDir racine_;
    QString aide_; // the help folder, ".../Ormelle.chm"

    void ecrire(const QString& relatif, const QByteArray& contenu)
    {
        QFile f(aide_ + "/" + relatif);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(contenu);
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        aide_ = racine_.filePath("share/ormelle/Ormelle.chm");
        QVERIFY(QDir().mkpath(aide_ + "/htm"));
        ecrire("index.htm", "<html><body><h1>Sommaire</h1></body></html>");
        ecrire("htm/slideshow.htm",
               "<html><body><p><a href=\"fenêtre_principale.htm\">principale</a></p></body></html>");
        ecrire("htm/fenêtre_principale.htm", "<html><body><h1>Fenêtre principale</h1></body></html>");
    }

    void fichierDeLAdresse_data()
    {
        QTest::addColumn<QString>("suffixe");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("page") << "::/htm/slideshow.htm"
                              << "htm/slideshow.htm";
        QTest::newRow("barre inverse") << "::/htm\\slideshow.htm"
                                       << "htm/slideshow.htm";
        QTest::newRow("accents") << "::/htm/fenêtre_principale.htm"
                                 << "htm/fenêtre_principale.htm";
        QTest::newRow("sans page") << ""
                                   << "index.htm";
        QTest::newRow("barre finale") << "/"
                                      << "index.htm";
        QTest::newRow("séparateur seul") << "::"
                                         << "index.htm";
        QTest::newRow("dossier htm seul") << "::/htm/"
                                          << "index.htm";
        QTest::newRow("page absente") << "::/htm/inconnue.htm"
                                      << "index.htm";
        QTest::newRow("hors du dossier") << "::/htm/../../Conseils.txt"
                                         << "index.htm";
    }
    void fichierDeLAdresse()
    {
        QFETCH(QString, suffixe);
        QFETCH(QString, attendu);
        QCOMPARE(fichierDepuisAdresseAide(aide_ + suffixe), aide_ + "/" + attendu);
    }

    void fenetreOuvreLaPageEtSuitLesLiens()
    {
        FenAide f;
        f.ouvrir(aide_ + "::/htm/slideshow.htm");
        f.show();
        QCOMPARE(f.navigateur()->source(), QUrl::fromLocalFile(aide_ + "/htm/slideshow.htm"));
        auto* precedent = f.findChild<QPushButton*>("CmdPrecedent");
        QVERIFY(!precedent->isEnabled());

        // Following the page's link with the keyboard, as a reader would.
        f.navigateur()->setFocus();
        QTest::keyClick(f.navigateur(), Qt::Key_Tab);
        QTest::keyClick(f.navigateur(), Qt::Key_Return);
        QCOMPARE(f.navigateur()->source(), QUrl::fromLocalFile(aide_ + "/htm/fenêtre_principale.htm"));
        QVERIFY(f.navigateur()->toPlainText().contains("Fenêtre principale"));
        QVERIFY(precedent->isEnabled());

        QTest::mouseClick(precedent, Qt::LeftButton);
        QCOMPARE(f.navigateur()->source(), QUrl::fromLocalFile(aide_ + "/htm/slideshow.htm"));
        QTest::mouseClick(f.findChild<QPushButton*>("CmdSommaire"), Qt::LeftButton);
        QCOMPARE(f.navigateur()->source(), QUrl::fromLocalFile(aide_ + "/index.htm"));
    }

    void aideAbsenteSignaleeDansLaFenetre()
    {
        FenAide f;
        f.ouvrir(racine_.filePath("ailleurs/Ormelle.chm") + "::/htm/slideshow.htm");
        QVERIFY(f.navigateur()->toPlainText().contains("introuvable"));
    }

    void uneSeuleFenetrePourTousLesAppels()
    {
        ServicesBureau bureau;
        bureau.ouvrirAide(aide_);
        FenAide* premiere = FenAide::instance();
        QVERIFY(premiere->isVisible());
        QCOMPARE(premiere->navigateur()->source(), QUrl::fromLocalFile(aide_ + "/index.htm"));
        bureau.ouvrirAide(aide_ + "::/htm/slideshow.htm");
        QCOMPARE(FenAide::instance(), premiere);
        QCOMPARE(premiere->navigateur()->source(), QUrl::fromLocalFile(aide_ + "/htm/slideshow.htm"));
        int fenetres = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            fenetres += w->objectName() == "FenAide" && w->isVisible();
        QCOMPARE(fenetres, 1);
        // Closed by the user, then asked for again: it comes back.
        premiere->close();
        bureau.ouvrirAide(aide_);
        QVERIFY(FenAide::instance()->isVisible());
    }

    // Help asked from a modal dialog takes clicks at once, while the dialog still waits.
    void aideDepuisUnDialogueModalRepondTout()
    {
        ServicesBureau bureau;
        QDialog dialogue;
        dialogue.setModal(true);
        int clics = -1;
        bool encoreOuvert = false;
        QTimer::singleShot(0, &dialogue, [&] {
            bureau.ouvrirAide(aide_ + "::/htm/slideshow.htm");
            FenAide* f = FenAide::instance();
            QVERIFY(QTest::qWaitForWindowExposed(f));
            auto* sommaire = f->findChild<QPushButton*>("CmdSommaire");
            QSignalSpy spy(sommaire, &QPushButton::clicked);
            // Through the window, as the window system delivers it: a blocked window drops it.
            QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, sommaire->mapTo(f, sommaire->rect().center()));
            clics = int(spy.count());
            encoreOuvert = dialogue.isVisible();
            dialogue.reject();
        });
        dialogue.exec();
        QVERIFY(encoreOuvert);
        QCOMPARE(clics, 1);
        QCOMPARE(FenAide::instance()->navigateur()->source(), QUrl::fromLocalFile(aide_ + "/index.htm"));
        // The dialog gone, the help stays, on its own.
        QVERIFY(FenAide::instance()->isVisible());
        FenAide::instance()->close();
    }
};

QTEST_MAIN(TestAide)
#include "tst_aide.moc"
