// The welcome notice: its text, its switch written at once, and the remarks button.
#include "app/general.h"
#include "app/reglages.h"
#include "app/skin.h"
#include "commun/servicesfactices.h"
#include "dialogs/avertis.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

class TestAvertis : public QObject {
    Q_OBJECT

    QTemporaryDir dossier_;
    std::unique_ptr<Reglages> reglages_;
    ServicesFactices services_;
    std::unique_ptr<General> g_;

    QString ini() const { return dossier_.filePath("Ormelle.ini"); }
    QString stocke() const
    {
        return Reglages(ini()).lire(cles::SectionAvertissement, cles::CleAffichage).value_or("<absent>");
    }

private slots:
    void init()
    {
        QFile::remove(ini());
        reglages_ = std::make_unique<Reglages>(ini());
        services_.aides.clear();
        g_ = std::make_unique<General>(*reglages_, services_);
    }

    void texteDeBienvenue()
    {
        Avertis a(*g_);
        const QString attendu = QStringLiteral("                BIENVENUE A ORMELLE               ")
            + QStringLiteral(" Bien qu'il soit simple d'utilisation Ormelle, dans sa nouvelle version baptisée "
                             "Ormelle, s'est complexifié et il est recommandé (fortement recommandé ?) de lire le "
                             "fichier d'aide et notamment la rubrique 'Remarques et particularités'.")
            + QStringLiteral("                                      ")
            + QStringLiteral("En espérant que ce logiciel vous apportera toute satisfaction, Talvenor vous "
                             "souhaite une bonne découverte...");
        QCOMPARE(a.findChild<QPlainTextEdit*>("Text1")->toPlainText(), attendu);
    }

    void titreEtConclusionSurLeursPropresLignes()
    {
        Avertis a(*g_);
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        auto* text1 = a.findChild<QPlainTextEdit*>("Text1");
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

    void legendes()
    {
        Avertis a(*g_);
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
        Avertis a(*g_);
        auto* coche = a.findChild<QCheckBox*>("Coche1");
        QVERIFY(coche->isChecked());
        QTest::mouseClick(coche, Qt::LeftButton);
        QCOMPARE(stocke(), "Non");
        QCOMPARE(g_->AvertisAuDemarrage, "Non");
        QTest::mouseClick(coche, Qt::LeftButton);
        QCOMPARE(stocke(), "Oui");
        QCOMPARE(g_->AvertisAuDemarrage, "Oui");
    }

    void valeurAutreQueOuiDecochee()
    {
        reglages_->SaveSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "oui");
        Avertis a(*g_);
        QVERIFY(!a.findChild<QCheckBox*>("Coche1")->isChecked());
        QCOMPARE(stocke(), "oui");  // untouched until the user clicks
    }

    void remarquesDemandeesPuisFermeture()
    {
        Avertis a(*g_);
        a.show();
        QTest::mouseClick(a.findChild<BoutonSkin*>("CmdRem"), Qt::LeftButton);
        QVERIFY(!a.isVisible());
        QVERIFY(g_->OuvrirRemarques);
        // The topic opens later, from the main window once it is active again.
        QVERIFY(services_.aides.isEmpty());
    }

    void fermerNOuvreRien()
    {
        Avertis a(*g_);
        a.show();
        QTest::mouseClick(a.findChild<BoutonSkin*>("CmdFermer"), Qt::LeftButton);
        QVERIFY(!a.isVisible());
        QVERIFY(!g_->OuvrirRemarques);
        QVERIFY(services_.aides.isEmpty());
    }

    void infoBullesSelonPreference()
    {
        Avertis a(*g_);
        a.show();
        auto* titre = a.findChild<BoutonSkin*>("CmdDeplaceFen");
        auto* rem = a.findChild<BoutonSkin*>("CmdRem");
        g_->InfoBulles = true;
        QTest::mouseMove(titre, QPoint(20, 5));
        QTest::mouseMove(rem, QPoint(20, 5));
        QCOMPARE(titre->toolTip(), "Déplacement de la fenêtre");
        QCOMPARE(rem->toolTip(), QString());
        g_->InfoBulles = false;
        QTest::mouseMove(titre, QPoint(30, 5));
        QCOMPARE(titre->toolTip(), QString());
    }
};

QTEST_MAIN(TestAvertis)
#include "tst_avertis.moc"
