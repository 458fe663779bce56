// The splash window, the single-instance check and the command line.
#include "app/demarre2.h"
#include "app/instance.h"
#include "app/lignecommande.h"
#include "bancfenprin.h"
#include "main_window/navigateur.h"
#include "commun/connexionsrompues.h"

#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

#include <sys/resource.h>

class TestDemarrage : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
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

    // A start folder of 1 MB, stored or named on the command line: the main window
    // opens on a folder that exists. Run in a child under a CPU-time limit, which
    // work growing with the square of the path's length would overrun many times.
    void dossierDepartDemesure_data()
    {
        QTest::addColumn<bool>("ligneCommande");
        QTest::newRow("réglage") << false;
        QTest::newRow("ligne de commande") << true;
    }
    void dossierDepartDemesure()
    {
        QFETCH(bool, ligneCommande);
        if (!qEnvironmentVariableIsSet("ORMELLE_DEPART_ENFANT")) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("ORMELLE_DEPART_ENFANT"), QStringLiteral("1"));
            p.setProcessEnvironment(env);
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("dossierDepartDemesure:") + QString::fromUtf8(QTest::currentDataTag())});
            QVERIFY(p.waitForFinished(-1));
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, p.readAll().constData());
            return;
        }
        const rlimit limite{30, 30};
        QCOMPARE(setrlimit(RLIMIT_CPU, &limite), 0);
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        QString chemin = b.dossier.filePath(QStringLiteral("absent"));
        while (chemin.size() < 1024 * 1024)
            chemin += QStringLiteral("/dossier");
        if (!ligneCommande) {
            // Stored by another hand: the store itself never writes a value this long.
            ecrireTexte(*b.reglages, Reglage::NomDossier, QStringLiteral("@@"));
            QFile f(b.reglages->fichier());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray contenu = f.readAll().replace("@@", chemin.toUtf8());
            f.close();
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(contenu);
            f.close();
            b.g.reset();
            b.reglages = std::make_unique<Reglages>(f.fileName());
            b.g = std::make_unique<General>(*b.reglages, b.services);
        }
        b.charger(ligneCommande ? chemin : QString());
        if (ligneCommande)
            QTRY_COMPARE(b.g->DossierCourant(), b.dossier.path());
        const QString ouvert = b.g->DossierCourant();
        QVERIFY2(QFileInfo(ouvert).isDir(), qPrintable(ouvert.left(200)));
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
