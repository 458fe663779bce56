// The splash window, the single-instance check, the command line, and what the main
// window opens on: a start folder since removed, a path or a drop from a file manager.
#include "app/demarre2.h"
#include "app/instance.h"
#include "app/lignecommande.h"
#include "app/skin.h"
#include "bancfenprin.h"
#include "main_window/miniatures.h"
#include "main_window/navigateur.h"
#include "platform/nomsfichiers.h"
#include "commun/connexionsrompues.h"

#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

class TestDemarrage : public QObject {
    Q_OBJECT

private:
    // What a file manager sends when `urls` are dropped on the display box; true when taken.
    static bool deposer(FenPrin& f, const QList<QUrl>& urls)
    {
        QMimeData donnees;
        donnees.setUrls(urls);
        QWidget* cible = f.findChild<QWidget*>(QStringLiteral("Image1"));
        const QPoint ici = cible->mapTo(&f, cible->rect().center());
        QDragEnterEvent entree(ici, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &entree);
        if (!entree.isAccepted())
            return false;
        QDropEvent depot(QPointF(ici), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &depot);
        return depot.isAccepted();
    }

    static void ecrireImage(const QString& chemin, const QColor& c)
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(c);
        QVERIFY(image.save(chemin));
    }

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

    void dossierSupprimeSignaleEtLaSuiteEstLue()
    {
        BancFenPrin b;
        const QString disparu = b.dossier.filePath(QStringLiteral("Vacances"));
        QVERIFY(QDir().mkpath(disparu));
        b.ecrire(cles::SectionDossier, cles::CleDossier, disparu);
        QVERIFY(QDir(disparu).removeRecursively());
        b.ecrire(cles::SectionTransition, cles::CleDureeTransition, QStringLiteral("250"));
        b.ecrire(cles::SectionAleatoire, cles::CleAleatoire, QStringLiteral("Oui"));
        b.ecrire(cles::SectionCommentaire, QStringLiteral("PoliceNom"), QStringLiteral("Arial"));
        b.charger();

        auto* message = b.controle<PanneauSkin>("FondMessage");
        QVERIFY(message->isVisible());
        QCOMPARE(message->pos(), QPoint(48, 148));
        QCOMPARE(message->titre(), QStringLiteral("Ormelle"));
        QCOMPARE(b.controle<QLabel>("LblMessage")->text(),
                 QStringLiteral("Le dossier contenant les images du slideshow\na été renommé ou supprimé."));
        QCOMPARE(b.services.sons, QList<int>{21});
        QCOMPARE(b.g->DossierLecteur, disparu);
        QCOMPARE(b.g->diaporama.dureeTransition, 100);
        QVERIFY(b.g->diaporama.ordreAleatoire);
        QCOMPARE(b.g->commentaire.police.police().family(), QStringLiteral("Arial"));
        QCOMPARE(b.g->commentaire.police.couleur(), QColor(255, 255, 0));

        clic(b.controle("CmdOKMsg"));
        QVERIFY(message->isHidden());
        // The browser stands on the nearest folder that is still there.
        QTRY_COMPARE(b.g->DossierCourant(), b.dossier.path());
    }

    void cheminEnArgumentAbsentSignale()
    {
        BancFenPrin b;
        const QString absent = b.dossier.filePath(QStringLiteral("Photos/Été/manquante.jpg"));
        QVERIFY(QDir().mkpath(b.dossier.filePath(QStringLiteral("Photos"))));
        b.charger(absent);
        QVERIFY(b.controle("FondMessage")->isVisible());
        QVERIFY(
            b.controle<QLabel>("LblMessage")->text().contains(QStringLiteral("« ") + absent + QStringLiteral(" »")));
        QCOMPARE(b.services.sons, QList<int>{21});
        QTRY_COMPARE(b.g->DossierCourant(), b.dossier.filePath(QStringLiteral("Photos")));
    }

    void secondeInstanceLeDitEtContinue()
    {
        BancFenPrin b;
        b.charger(QString(), true);
        QVERIFY(b.controle("FondMessage")->isVisible());
        QCOMPARE(b.controle<QLabel>("LblMessage")->text(),
                 QStringLiteral("Une première instance d'Ormelle est déjà en cours d'exécution."));
        QCOMPARE(b.services.sons, QList<int>{21});
        QCOMPARE(b.modaux.size(), 2); // the start goes on
    }

    void dossierEnArgumentRemplaceLeDossierEnregistre()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionDossier, cles::CleDossier, b.dossier.filePath(QStringLiteral("absent")));
        const QString voulu = b.dossier.filePath(QStringLiteral("Photos"));
        QVERIFY(QDir().mkpath(voulu));
        b.charger(voulu);
        QVERIFY(b.controle("FondMessage")->isHidden());
        QVERIFY(b.services.sons.isEmpty());
        QTRY_COMPARE(b.g->DossierCourant(), voulu);
    }

    void fichierEnArgumentEstSelectionneEtMontre()
    {
        BancFenPrin b;
        const QString photo = b.dossier.filePath(QStringLiteral("Photos/Phare.png"));
        QVERIFY(QDir().mkpath(b.dossier.filePath(QStringLiteral("Photos"))));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(photo));
        b.charger(photo);
        QTRY_COMPARE(b.g->FichierCourant(), photo);
        QTRY_COMPARE(b.fen->navigateur()->imageCourante().size(), QSize(40, 30));
        QVERIFY(b.controle("CmdCopFich")->isEnabled());
    }

    // What a file manager drops: a folder opens, a picture is selected and shown, a
    // name that is not UTF-8 keeps its bytes, a web address is refused.
    void deposerOuvreCommeLaLigneDeCommande()
    {
        BancFenPrin b;
        const QString photos = b.dossier.filePath(QStringLiteral("Photos"));
        QVERIFY(QDir().mkpath(photos + QStringLiteral("/Été")));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(photos + QStringLiteral("/Phare.png")));
        const QByteArray latin1 = QFile::encodeName(photos) + "/caf\xe9.bmp";
        {
            QByteArray bmp;
            QBuffer tampon(&bmp);
            QVERIFY(tampon.open(QIODevice::WriteOnly) && image.save(&tampon, "BMP"));
            const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, bmp.constData(), size_t(bmp.size())), ssize_t(bmp.size()));
            ::close(fd);
        }
        FenPrin& f = b.charger();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(deposer(f, {QUrl::fromLocalFile(photos + QStringLiteral("/Été"))}));
        QTRY_COMPARE(b.g->DossierCourant(), photos + QStringLiteral("/Été"));
        QVERIFY(deposer(f, {QUrl::fromLocalFile(photos + QStringLiteral("/Phare.png"))}));
        QTRY_COMPARE(b.g->FichierCourant(), photos + QStringLiteral("/Phare.png"));
        QTRY_COMPARE(b.fen->navigateur()->imageCourante().size(), QSize(40, 30));
        QUrl octets(QStringLiteral("file://"));
        octets.setPath(QString::fromLatin1(latin1.toPercentEncoding("/")), QUrl::TolerantMode);
        QVERIFY(deposer(f, {QUrl(QStringLiteral("https://exemple.fr/a.jpg")), octets}));
        QTRY_COMPARE(b.g->FichierCourant(), cheminDepuisOctets(latin1));
        QVERIFY(!deposer(f, {QUrl(QStringLiteral("https://exemple.fr/a.jpg"))}));
        QVERIFY(b.controle("FondMessage")->isHidden());
    }

    void deposerSurLaPageDesMiniaturesLaCentre()
    {
        BancFenPrin b;
        const QString photos = b.dossier.filePath(QStringLiteral("Photos"));
        QVERIFY(QDir().mkpath(photos));
        for (int i = 1; i <= 12; ++i)
            ecrireImage(photos + QStringLiteral("/p%1.png").arg(i, 2, 10, QLatin1Char('0')), Qt::gray);
        FenPrin& f = b.charger(photos);
        clic(b.controle("CmdMiniatures"));
        const QString onzieme = photos + QStringLiteral("/p11.png");
        QVERIFY(deposer(f, {QUrl::fromLocalFile(onzieme)}));
        QTRY_COMPARE(f.miniatures()->centree(), onzieme);
        QCOMPARE(f.miniatures()->pages().ImageCentree(), qint64(11));
        QCOMPARE(b.controle<BoutonSkin>("Forme3")->text(), QStringLiteral("          p11"));
    }

    // A picture the chosen format hides is listed all the same, and acted on as selected.
    void deposeeCacheeParLeFormatSeCopie()
    {
        BancFenPrin b;
        const QString photos = b.dossier.filePath(QStringLiteral("Photos"));
        QVERIFY(QDir().mkpath(photos));
        ecrireImage(photos + QStringLiteral("/a.bmp"), Qt::red);
        const QString png = photos + QStringLiteral("/b.png");
        ecrireImage(png, Qt::blue);
        FenPrin& f = b.charger(photos);
        clic(b.controle("CmdTypExt"));
        clic(b.controle("CmdBMP"));
        QTRY_COMPARE(f.navigateur()->fichiers(), QStringList{QStringLiteral("a.bmp")});
        QVERIFY(deposer(f, {QUrl::fromLocalFile(png)}));
        QTRY_COMPARE(f.navigateur()->fichiers(), (QStringList{QStringLiteral("a.bmp"), QStringLiteral("b.png")}));
        QCOMPARE(b.g->modele.IndexFichier(), 1);
        QCOMPARE(b.controle<BoutonSkin>("CmdTypExt")->text(), QStringLiteral("  *.*"));
        QCOMPARE(b.controle<BoutonSkin>("CmdVTypExt")->text(), QStringLiteral("*.*"));
        QTRY_VERIFY(b.controle("CmdCopFich")->isEnabled());
        const QString copie = b.dossier.filePath(QStringLiteral("b.png"));
        b.services.fichiers.push_back(copie);
        clic(b.controle("CmdCopFich"));
        QVERIFY(b.controle("FondMessage")->isHidden());
        QCOMPARE(QImage(copie).pixelColor(0, 0), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestDemarrage)
#include "tst_demarrage.moc"
