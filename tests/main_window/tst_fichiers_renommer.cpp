// The rename panel driven as a user does, from the icon bar and the list's menu: its
// keys, a name already taken or leaving the folder, a name that is not UTF-8.
#include "bancfichiers.h"

#include "core/commentaires.h"
#include "platform/nomsfichiers.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

class TestRenommer : public QObject, BancFichiers {
    Q_OBJECT

private slots:
    void init() { preparer(); }
    void cleanup() { b_.reset(); }

    void renommerParLaToucheEntree()
    {
        const QString commentaires = fichierCommentaires(g(), d_);
        QVERIFY(commentaires::ajouter(commentaires, chemin(QStringLiteral("b.bmp")), QStringLiteral("Le port")));
        choisir(1);
        auto* file1 = b_->controle<QListView>("File1");
        QTest::mousePress(file1->viewport(), Qt::RightButton, {},
                          file1->visualRect(file1->model()->index(1, 0)).center());
        cliquer("mnuRenommerFile");
        auto* panneau = b_->controle<QWidget>("RenommerFile");
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        QVERIFY(panneau->isVisible());
        QCOMPARE(b_->controle<QLabel>("AncNom")->text(), QStringLiteral("b.bmp"));
        QCOMPARE(nouvNom->text(), QStringLiteral("b.bmp"));
        QTRY_VERIFY(nouvNom->hasFocus());
        nouvNom->selectAll();
        QTest::keyClicks(nouvNom, QStringLiteral("Bateau.BMP"));
        QTest::keyClick(nouvNom, Qt::Key_Return);
        QVERIFY(!panneau->isVisible());
        QCOMPARE(lire(chemin(QStringLiteral("Bateau.BMP"))), octets_.value(QStringLiteral("b.bmp")));
        QVERIFY(!QFileInfo::exists(chemin(QStringLiteral("b.bmp"))));
        QTRY_VERIFY(g().modele.fichiers().contains(QStringLiteral("Bateau.BMP")));
        verifierIntacts({QStringLiteral("b.bmp")});
        QCOMPARE(commentaires::chercher(commentaires, chemin(QStringLiteral("Bateau.BMP"))), QStringLiteral("Le port"));
    }

    // The panel is modeless: a click in the list while it is open moves it to the
    // file clicked, and that file alone is renamed.
    void renommerLeFichierAffiche()
    {
        choisir(0);
        cliquer("CmdRenommer");
        choisir(2);
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        QCOMPARE(b_->controle<QLabel>("AncNom")->text(), QStringLiteral("c.bmp"));
        QCOMPARE(nouvNom->text(), QStringLiteral("c.bmp"));
        QVERIFY(b_->controle<QListView>("File1")->hasFocus());
        nouvNom->selectAll();
        QTest::keyClicks(nouvNom, QStringLiteral("mer.bmp"));
        QTest::keyClick(nouvNom, Qt::Key_Return);
        QCOMPARE(lire(chemin(QStringLiteral("mer.bmp"))), octets_.value(QStringLiteral("c.bmp")));
        verifierIntacts({QStringLiteral("c.bmp")});
    }

    // Shown with a replacement character, the name is left as it is spelt on disk.
    void nomNonUtf8InchangeGarde()
    {
        const QString nom = QStringLiteral("\xe9t\xe9.bmp").replace(QChar(0xe9), QChar(0xdce9));
        const QByteArray octets = octets_.value(QStringLiteral("a.bmp"));
        const int fd = ::open(octetsDepuisChemin(chemin(nom)).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, octets.constData(), size_t(octets.size())), ssize_t(octets.size()));
        ::close(fd);
        g().modele.relire();
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(5));
        choisir(int(g().modele.fichiers().indexOf(nom)));
        cliquer("CmdRenommer");
        QCOMPARE(b_->controle<QLineEdit>("NouvNom")->text(), texteAffichable(nom));
        QTest::keyClick(b_->controle<QLineEdit>("NouvNom"), Qt::Key_Return);
        QVERIFY(!b_->controle<QWidget>("RenommerFile")->isVisible());
        QFile f;
        QVERIFY(ouvrirEnLecture(f, chemin(nom)));
        QCOMPARE(f.readAll(), octets);
        QVERIFY(!etatFichier(chemin(texteAffichable(nom))).existe);
        QVERIFY(!messageVisible());
    }

    void renommerSurUnNomPrisLeDit()
    {
        choisir(0);
        cliquer("CmdRenommer");
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        nouvNom->selectAll();
        QTest::keyClicks(nouvNom, QStringLiteral("d.bmp"));
        cliquer("CmdRenOK");
        QVERIFY(b_->controle<QWidget>("RenommerFile")->isVisible());
        QCOMPARE(nouvNom->text(), QStringLiteral("d.bmp"));
        QCOMPARE(titreMessage(), QStringLiteral("Existe déjà"));
        QCOMPARE(message(), QStringLiteral("Une image portant ce nom\nexiste déjà dans le dossier."));
        QCOMPARE(s().sons, QList<int>{22});
        verifierIntacts();
    }

    void nomsQuiQuittentLeDossierRefuses_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<bool>("disparu");
        QTest::addColumn<QString>("debut");
        const QString refuse = QStringLiteral("Le nom « %1 » n'est pas accepté :\n");
        QTest::newRow("barre") << "sous/a.bmp" << false << refuse.arg("sous/a.bmp");
        QTest::newRow("remonte") << "../a.bmp" << false << refuse.arg("../a.bmp");
        QTest::newRow("point") << "." << false << refuse.arg(".");
        QTest::newRow("point point") << ".." << false << refuse.arg("..");
        QTest::newRow("vide") << "" << false << refuse.arg("");
        QTest::newRow("trop long") << QString(256, QLatin1Char('x')) << false << QStringLiteral("Le nom « xxx");
        QTest::newRow("fichier disparu") << "e.bmp" << true << QStringLiteral("L'image n'a pas été renommée :\n");
    }
    void nomsQuiQuittentLeDossierRefuses()
    {
        QFETCH(QString, nom);
        QFETCH(bool, disparu);
        QFETCH(QString, debut);
        choisir(0);
        cliquer("CmdRenommer");
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        nouvNom->clear();
        QCOMPARE(b_->controle<BoutonSkin>("CmdRenOK")->isEnabled(), false);
        QTest::keyClicks(nouvNom, nom);
        QCOMPARE(b_->controle<BoutonSkin>("CmdRenOK")->isEnabled(), !nom.isEmpty());
        if (disparu) {
            QVERIFY(QFile::rename(chemin(QStringLiteral("a.bmp")), d_ + QStringLiteral("/sous/a.bmp")));
            octets_.remove(QStringLiteral("a.bmp"));
        }
        QTest::keyClick(nouvNom, Qt::Key_Return);
        QVERIFY(b_->controle<QWidget>("RenommerFile")->isVisible());
        QCOMPARE(nouvNom->text(), nom);
        QVERIFY(messageVisible());
        QCOMPARE(titreMessage(), QStringLiteral("Erreur"));
        QVERIFY2(message().startsWith(debut) && message().endsWith(QLatin1Char('.')), qPrintable(message()));
        QCOMPARE(message().count(QLatin1Char('\n')), 1);
        QCOMPARE(s().sons, QList<int>{22});
        verifierIntacts();
        QVERIFY(!QFileInfo(chemin(nom)).isFile());
        QCOMPARE(QDir(d_ + QStringLiteral("/sous")).isEmpty(), !disparu);
    }

    void annulerLeRenommage_data()
    {
        QTest::addColumn<bool>("clavier");
        QTest::newRow("bouton") << false;
        QTest::newRow("Échap") << true;
    }
    void annulerLeRenommage()
    {
        QFETCH(bool, clavier);
        choisir(0);
        cliquer("CmdRenommer");
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        QTest::keyClicks(nouvNom, QStringLiteral("x"));
        if (clavier)
            QTest::keyClick(nouvNom, Qt::Key_Escape);
        else
            cliquer("CmdRenAnul");
        QVERIFY(!b_->controle<QWidget>("RenommerFile")->isVisible());
        verifierIntacts();
    }
};

QTEST_MAIN(TestRenommer)
#include "tst_fichiers_renommer.moc"
