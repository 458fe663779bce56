// Tip of the day: reading the tips file, choosing and stepping through tips, and the
// "show at start" switch written at once.
#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"
#include "dialogs/conseils.h"

#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class TestConseils : public QObject {
    Q_OBJECT

    std::unique_ptr<Environnement> e_;

    QString fichierConseils(const QByteArray& contenu)
    {
        const QString chemin = e_->dossier.filePath("Conseils.txt");
        QFile f(chemin);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(contenu);
        return chemin;
    }
    static std::function<double()> tirage(double r)
    {
        return [r] { return r; };
    }
    static QString tipAffiche(const Conseils& c) { return c.findChild<QLabel*>("lblTipText")->text(); }
    static void suivant(Conseils& c) { QTest::mouseClick(c.findChild<BoutonSkin*>("CmdNextTip"), Qt::LeftButton); }
    QString stocke() const { return e_->lu(cles::SectionConseils, cles::CleConseil); }

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        e_ = std::make_unique<Environnement>();
    }

    void lignes_data()
    {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("vide") << QByteArray() << QStringList{};
        QTest::newRow("une ligne sans fin") << QByteArray("seul") << QStringList{"seul"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("LF") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("CR seul") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("ligne vide au milieu") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("une fin de ligne seule") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("UTF-8 avec BOM") << QByteArray("\xEF\xBB\xBFl'écran\n") << QStringList{"l'écran"};
        QTest::newRow("ancienne page de code") << QByteArray("caf\xE9 \x93ok\x94") << QStringList{"café “ok”"};
    }
    void lignes()
    {
        QFETCH(QByteArray, contenu);
        QFETCH(QStringList, attendu);
        QCOMPARE(lireConseils(contenu), attendu);
    }

    void uneLigneAChaqueFois()
    {
        Conseils c(e_->g, fichierConseils("Le seul conseil\r\n"), tirage(0.73));
        QCOMPARE(tipAffiche(c), "Le seul conseil");
        suivant(c);
        QCOMPARE(tipAffiche(c), "Le seul conseil");
        QCOMPARE(c.ConseilCourant(), 1);
    }

    void tirageEquitable_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("0") << 0.0 << "un";
        QTest::newRow("0.33") << 0.33 << "un";
        QTest::newRow("0.34") << 0.34 << "deux";
        QTest::newRow("0.999") << 0.999 << "trois";
        QTest::newRow("1 (hors bornes)") << 1.0 << "trois";
    }
    void tirageEquitable()
    {
        QFETCH(double, r);
        QFETCH(QString, attendu);
        Conseils c(e_->g, fichierConseils("un\r\ndeux\r\ntrois\r\n"), tirage(r));
        QCOMPARE(tipAffiche(c), attendu);
    }

    void suivantRevientAuPremier()
    {
        Conseils c(e_->g, fichierConseils("un\r\ndeux\r\ntrois"), tirage(0.9));
        QCOMPARE(c.ConseilCourant(), 3);
        suivant(c);
        QCOMPARE(tipAffiche(c), "un");
        suivant(c);
        QCOMPARE(tipAffiche(c), "deux");
    }

    void fichierVide()
    {
        const QString chemin = fichierConseils("");
        Conseils c(e_->g, chemin, tirage(0.5));
        QVERIFY(c.ListeConseils().isEmpty());
        QCOMPARE(tipAffiche(c), QString());
        suivant(c);
        QCOMPARE(tipAffiche(c), QString());
        QVERIFY(c.LoadTips(chemin));
    }

    void fichierAbsent()
    {
        Conseils c(e_->g, e_->dossier.filePath("absent/Conseils.txt"), tirage(0.5));
        QCOMPARE(tipAffiche(c), "Le fichier Conseils.txt n'a pas été trouvé.\n\n"
                                "Vous n'auriez pas dû le supprimer du dossier d'Ormelle");
        suivant(c);
        QCOMPARE(tipAffiche(c), Conseils::MessageFichierAbsent);
        QVERIFY(!c.LoadTips(QString()));
    }

    void cocheEcriteAussitot()
    {
        Conseils c(e_->g, fichierConseils("un"), tirage(0));
        auto* coche = c.findChild<QCheckBox*>("chkLoadTipsAtStartup");
        QVERIFY(coche->isChecked());    // nothing stored: "Oui"
        QCOMPARE(stocke(), "<absent>"); // opening writes nothing
        QTest::mouseClick(coche, Qt::LeftButton);
        QCOMPARE(stocke(), "Non");
        QVERIFY(!e_->g.demarrage.conseils);
        QTest::mouseClick(coche, Qt::LeftButton);
        QCOMPARE(stocke(), "Oui");
    }

    void valeurStockee_data()
    {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<bool>("coche");
        QTest::newRow("Oui") << "Oui" << true;
        QTest::newRow("Non") << "Non" << false;
        QTest::newRow("oui") << "oui" << false;
        QTest::newRow("vide") << "" << false;
    }
    void valeurStockee()
    {
        QFETCH(QString, valeur);
        QFETCH(bool, coche);
        e_->reglages.SaveSetting(cles::Application, cles::SectionConseils, cles::CleConseil, valeur);
        Conseils c(e_->g, fichierConseils("un"), tirage(0));
        QCOMPARE(c.findChild<QCheckBox*>("chkLoadTipsAtStartup")->isChecked(), coche);
        QCOMPARE(e_->g.demarrage.conseils, coche);
    }

    void fenetreEtSchema()
    {
        e_->g.Couleurs[Role::DebutDegrade] = "255";
        e_->g.Couleurs[Role::FinDegrade] = "65280";
        e_->g.Couleurs[Role::Visualisation] = "16711680";
        Conseils c(e_->g, fichierConseils("un"), tirage(0));
        QCOMPARE(c.size(), QSize(392, 240));
        QVERIFY(c.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(c.findChild<BoutonSkin*>("CmdDeplaceFen")->text(), "Ormelle - Conseil du jour");
        auto* ok = c.findChild<BoutonSkin*>("CmdOK");
        auto* suivant = c.findChild<BoutonSkin*>("CmdNextTip");
        QCOMPARE(ok->text(), "D'accord !");
        QCOMPARE(suivant->text(), "Conseil suivant");
        QCOMPARE(ok->gradientDebut(), QColor(Qt::red));
        QCOMPARE(suivant->gradientDebut(), QColor(Qt::green)); // the other way round
        QCOMPARE(c.findChild<QLabel*>("lblTipText")->palette().color(QPalette::Window), QColor(Qt::blue));
        QCOMPARE(c.findChild<QWidget*>("Picture1")->geometry(), QRect(40, 40, 313, 110));
        for (const char* forme : {"Forme1", "Forme2", "Forme3", "Forme4", "Forme5", "Forme6", "Forme7"})
            QVERIFY2(c.findChild<BoutonSkin*>(forme), forme);
    }

    void okFerme()
    {
        Conseils c(e_->g, fichierConseils("un"), tirage(0));
        c.show();
        QTest::mouseClick(c.findChild<BoutonSkin*>("CmdOK"), Qt::LeftButton);
        QVERIFY(!c.isVisible());
        QCOMPARE(c.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestConseils)
#include "tst_conseils.moc"
