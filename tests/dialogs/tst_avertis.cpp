// The welcome notice: its text, its switch written at once, and the remarks button.
#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"
#include "dialogs/avertis.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

class TestAvertis : public QObject {
    Q_OBJECT

    std::unique_ptr<Environnement> e_;

    QString stocke() const { return e_->lu(cles::SectionAvertissement, cles::CleAffichage); }

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        e_ = std::make_unique<Environnement>();
    }

    void texteDeBienvenue()
    {
        Avertis a(e_->g);
        const QString attendu =
            QStringLiteral("                BIENVENUE A ORMELLE               ")
            + QStringLiteral(" Bien qu'il soit simple d'utilisation Ormelle, dans sa nouvelle version baptisée "
                             "Ormelle, s'est complexifié et il est recommandé (fortement recommandé ?) de lire le "
                             "fichier d'aide et notamment la rubrique 'Remarques et particularités'.")
            + QStringLiteral("                                      ")
            + QStringLiteral("En espérant que ce logiciel vous apportera toute satisfaction, Talvenor vous "
                             "souhaite une bonne découverte...");
        QCOMPARE(a.findChild<QTextEdit*>("Text1")->toPlainText(), attendu);
    }

    void titreEtConclusionSurLeursPropresLignes()
    {
        Avertis a(e_->g);
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        auto* text1 = a.findChild<QTextEdit*>("Text1");
        const QTextBlock bloc = text1->document()->firstBlock();
        QTextLayout* mise = bloc.layout();
        QVERIFY(mise && mise->lineCount() > 3);
        QList<int> debuts;
        for (int i = 0; i < mise->lineCount(); ++i)
            debuts << mise->lineAt(i).textStart();
        const QString texte = bloc.text();
        QVERIFY(debuts.contains(int(texte.indexOf("Bien qu'il"))));
        QVERIFY(debuts.contains(int(texte.indexOf("En espérant"))));
        // The title's line holds the title alone.
        QVERIFY(mise->lineAt(0).textLength() < texte.indexOf("Bien qu'il") + 1);
    }

    // Read at a glance: the whole text within the box, at its size and in bold.
    // Without TeX Gyre (a desktop that lacks fonts-texgyre) another serif family of the
    // machine still lays the text out within its box.
    void texteTientDansSaBoite_data()
    {
        QTest::addColumn<QStringList>("installees");
        const QStringList toutes = QFontDatabase::families();
        QStringList sansTexGyre;
        for (const QString& f : toutes)
            if (!f.startsWith("TeX Gyre"))
                sansTexGyre << f;
        QTest::newRow("polices du bureau") << toutes;
        QTest::newRow("sans TeX Gyre") << sansTexGyre;
    }
    void texteTientDansSaBoite()
    {
        QFETCH(QStringList, installees);
        const QStringList essayees = Avertis::famillesEssayees(installees);
        const QStringList convenables = {"TeX Gyre Pagella", "Times New Roman", "P052"};
        if (std::none_of(convenables.cbegin(), convenables.cend(),
                         [&](const QString& f) { return essayees.contains(f); }))
            QSKIP("no family that fits the welcome text here (fonts-texgyre, fonts-urw-base35)");
        Avertis a(e_->g);
        auto* text1 = a.findChild<QTextEdit*>("Text1");
        const QString famille = Avertis::choisirPolice(text1, installees);
        QVERIFY(essayees.contains(famille));
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        QCOMPARE(text1->font().pointSizeF(), 15.75);
        QVERIFY(text1->font().bold());
        QCOMPARE(text1->verticalScrollBar()->maximum(), 0);
        const qreal hauteur = text1->document()->size().height();
        QVERIFY2(hauteur <= text1->viewport()->height(), qPrintable(famille + ": " + QString::number(hauteur)));
    }

    void legendes()
    {
        Avertis a(e_->g);
        QCOMPARE(a.size(), QSize(537, 345));
        QVERIFY(a.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(a.findChild<BoutonSkin*>("CmdDeplaceFen")->text(), "BIENVENUE !");
        QCOMPARE(a.findChild<BoutonSkin*>("CmdFermer")->text(), "x");
        QCOMPARE(a.findChild<BoutonSkin*>("CmdRem")->text(), "Remarques et particularités");
        QCOMPARE(a.findChild<QCheckBox*>("Coche1")->text(),
                 " Afficher cette fenêtre à la prochaine  exécution d' Ormelle");
        QCOMPARE(a.findChild<QWidget*>("Text1")->geometry(), QRect(40, 40, 457, 225));
    }

    void cocheEcriteAussitot()
    {
        Avertis a(e_->g);
        auto* coche = a.findChild<QCheckBox*>("Coche1");
        QVERIFY(coche->isChecked());
        QTest::mouseClick(coche, Qt::LeftButton);
        QCOMPARE(stocke(), "Non");
        QVERIFY(!e_->g.demarrage.avertissement);
        QTest::mouseClick(coche, Qt::LeftButton);
        QCOMPARE(stocke(), "Oui");
        QVERIFY(e_->g.demarrage.avertissement);
    }

    void valeurAutreQueOuiDecochee()
    {
        e_->reglages.SaveSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "oui");
        Avertis a(e_->g);
        QVERIFY(!a.findChild<QCheckBox*>("Coche1")->isChecked());
        QCOMPARE(stocke(), "oui"); // untouched until the user clicks
    }

    void remarquesDemandeesPuisFermeture()
    {
        Avertis a(e_->g);
        QSignalSpy remarques(&a, &Avertis::remarquesDemandees);
        a.show();
        QTest::mouseClick(a.findChild<BoutonSkin*>("CmdRem"), Qt::LeftButton);
        QVERIFY(!a.isVisible());
        QCOMPARE(remarques.count(), 1);
        // The topic opens later, from the main window once it is active again.
        QVERIFY(e_->services.aides.isEmpty());
    }

    void fermerNOuvreRien()
    {
        Avertis a(e_->g);
        QSignalSpy remarques(&a, &Avertis::remarquesDemandees);
        a.show();
        QTest::mouseClick(a.findChild<BoutonSkin*>("CmdFermer"), Qt::LeftButton);
        QVERIFY(!a.isVisible());
        QVERIFY(remarques.isEmpty());
        QVERIFY(e_->services.aides.isEmpty());
    }

    void infoBullesSelonPreference()
    {
        Avertis a(e_->g);
        a.show();
        auto* titre = a.findChild<BoutonSkin*>("CmdDeplaceFen");
        auto* rem = a.findChild<BoutonSkin*>("CmdRem");
        e_->g.InfoBulles = true;
        QTest::mouseMove(titre, QPoint(20, 5));
        QTest::mouseMove(rem, QPoint(20, 5));
        QCOMPARE(titre->toolTip(), "Déplacement de la fenêtre");
        QCOMPARE(rem->toolTip(), QString());
        e_->g.InfoBulles = false;
        QTest::mouseMove(titre, QPoint(30, 5));
        QCOMPARE(titre->toolTip(), QString());
    }
};

QTEST_MAIN(TestAvertis)
#include "tst_avertis.moc"
