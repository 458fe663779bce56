// The splash window and the single-instance check.
#include "app/demarre2.h"
#include "app/instance.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

class TestDemarrage : public QObject {
    Q_OBJECT

private slots:
    void splashChargeUneFoisPuisSeFerme()
    {
        int appels = 0;
        auto* splash = new Demarre2([&appels](Demarre2* s) {
            ++appels;
            s->close();
        });
        splash->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<Demarre2> garde(splash);
        QCOMPARE(splash->size(), QSize(471, 130));
        QCOMPARE(splash->windowTitle(), QStringLiteral("Démarrage"));
        QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label3"))->text(),
                 QStringLiteral("Version 4.11 - Octobre 2002"));
        splash->show();
        QTRY_VERIFY(garde.isNull());
        QCOMPARE(appels, 1);
    }

    void degradeDuNoirAuBleu()
    {
        Demarre2 splash;
        const QImage image = splash.grab().toImage();
        const QColor haut = image.pixelColor(200, 3);
        const QColor bas = image.pixelColor(200, image.height() - 4);
        QVERIFY2(haut.blue() < 16 && haut.red() == 0 && haut.green() == 0, qPrintable(haut.name()));
        QVERIFY2(bas.blue() > 235 && bas.red() == 0 && bas.green() == 0, qPrintable(bas.name()));
    }

    void uneSeuleInstancePremiere()
    {
        QTemporaryDir dossier;
        auto premiere = std::make_unique<Instance>(dossier.path());
        QVERIFY(!premiere->autreEnCours());
        {
            Instance seconde(dossier.path());
            QVERIFY(seconde.autreEnCours());
        }
        // The second did not take the lock away from the first.
        QVERIFY(Instance(dossier.path()).autreEnCours());
        premiere.reset();
        QVERIFY(!Instance(dossier.path()).autreEnCours());
    }

    // A lock that cannot be written is not another instance: Ormelle starts alone.
    void verrouImpossibleNEstPasUneAutre()
    {
        QTemporaryDir dossier;
        const Instance sansDossier(dossier.filePath(QStringLiteral("absent/encore")));
        QVERIFY(!sansDossier.autreEnCours());
        QVERIFY(sansDossier.verrouImpossible());
        // A file where the folder should be.
        QFile bouchon(dossier.filePath(QStringLiteral("fichier")));
        QVERIFY(bouchon.open(QIODevice::WriteOnly));
        bouchon.close();
        const Instance surFichier(bouchon.fileName());
        QVERIFY(!surFichier.autreEnCours());
        QVERIFY(surFichier.verrouImpossible());
        const Instance normale(dossier.path());
        QVERIFY(!normale.verrouImpossible());
    }
};

QTEST_MAIN(TestDemarrage)
#include "tst_demarrage.moc"
