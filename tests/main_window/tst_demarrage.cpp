// The splash window, the single-instance check and the command line.
#include "app/demarre2.h"
#include "app/instance.h"
#include "app/lignecommande.h"

#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

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

    void ligneCommande_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("demande");
        QTest::addColumn<QStringList>("pourQt");
        QTest::newRow("le premier nom") << QStringList{"photo.jpg", "autre.jpg"} << "photo.jpg" << QStringList{};
        QTest::newRow("un nom en tiret après --") << QStringList{"--", "--x", "-h"} << "--x" << QStringList{};
        QTest::newRow("les options de Qt")
            << QStringList{"-platform", "xcb", "dossier", "--style=fusion", "-reverse"} << "dossier"
            << QStringList{"-platform", "xcb", "--style=fusion", "-reverse"};
    }
    void ligneCommande()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, demande);
        QFETCH(QStringList, pourQt);
        std::vector<QByteArray> octets{"ormelle"};
        for (const QString& a : arguments)
            octets.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& o : octets)
            argv.push_back(o.data());
        argv.push_back(nullptr);
        int argc = int(octets.size());
        const LigneCommande ligne = lireLigneCommande(argc, argv.data());
        QCOMPARE(ligne.action, LigneCommande::Ouvrir);
        QCOMPARE(ligne.demande, demande);
        QStringList restes;
        for (int i = 1; i < argc; ++i)
            restes << QString::fromLocal8Bit(argv[size_t(i)]);
        QCOMPARE(restes, pourQt);
        QCOMPARE(argv[size_t(argc)], nullptr);
    }

    // The program itself, with no display to open: it answers or says why in one French
    // line, never with Qt's abort.
    void programmeSansAffichage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("plateforme");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("sortie");
        QTest::addColumn<QString>("erreur");
        QTest::newRow("--help") << QStringList{"--help"} << "" << 0 << "Utilisation : ormelle [OPTION]..."
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << "" << 0 << "Utilisation : ormelle [OPTION]..."
                            << "";
        QTest::newRow("--version") << QStringList{"--version"} << "" << 0 << "Ormelle " ORMELLE_VERSION "\n"
                                   << "";
        QTest::newRow("-V") << QStringList{"-V", "photo.jpg"} << "" << 0 << "Ormelle " ORMELLE_VERSION "\n"
                            << "";
        QTest::newRow("option inconnue") << QStringList{"--x"} << "" << 2 << ""
                                         << "option inconnue « --x »";
        QTest::newRow("ni X11 ni Wayland") << QStringList{} << "" << 1 << ""
                                           << "aucun affichage";
        QTest::newRow("plateforme inconnue") << QStringList{"--", "--x"} << "inexistante" << 1 << ""
                                             << "la plateforme graphique « inexistante »";
    }
    void programmeSansAffichage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, plateforme);
        QFETCH(int, code);
        QFETCH(QString, sortie);
        QFETCH(QString, erreur);
        const QString programme = QCoreApplication::applicationDirPath() + QStringLiteral("/ormelle");
        QVERIFY2(QFileInfo(programme).isExecutable(), qPrintable(programme));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* nom : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(nom));
        if (!plateforme.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), plateforme);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(programme, arguments);
        QVERIFY(p.waitForFinished(60000));
        const QString dit = QString::fromUtf8(p.readAllStandardOutput());
        const QString erreurs = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        QVERIFY2(sortie.isEmpty() ? dit.isEmpty() : dit.startsWith(sortie), qPrintable(dit));
        if (erreur.isEmpty()) {
            QCOMPARE(erreurs, QString());
        } else {
            QVERIFY2(erreurs.startsWith(QStringLiteral("ormelle : ")) && erreurs.contains(erreur), qPrintable(erreurs));
            QCOMPARE(erreurs.count(QLatin1Char('\n')), 1);
            QVERIFY(erreurs.endsWith(QLatin1Char('\n')));
        }
    }
};

QTEST_MAIN(TestDemarrage)
#include "tst_demarrage.moc"
