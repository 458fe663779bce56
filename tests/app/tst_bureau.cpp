// The real program under a real X server and window manager (Xvfb and openbox, both
// private to the test), driven with xdotool and seen with xwininfo and screenshots:
// what only shows between the program and a window manager. Skipped where these tools
// or the program are missing.
#include "bancbureau.h"
#include "commun/connexionsrompues.h"
#include "commun/profilsessai.h"
#include "core/reglages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <utility>

#include <signal.h>
#include <sys/prctl.h>
#include <xcb/xcb.h>

class TestBureau : public QObject, private BancBureau {
    Q_OBJECT

    // Whether another client holds the pointer or the keyboard: moves wait for a
    // pointer that a grab, or a synchronous grab nobody released, keeps still.
    QString saisies() override
    {
        xcb_connection_t* c = xcb_connect(qPrintable(affichage_), nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return QStringLiteral("no connection to the server");
        }
        const xcb_window_t racine = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const auto etat = [](const auto* reponse) {
            if (!reponse)
                return "no answer";
            switch (reponse->status) {
            case XCB_GRAB_STATUS_SUCCESS:
                return "free";
            case XCB_GRAB_STATUS_ALREADY_GRABBED:
                return "grabbed by another client";
            case XCB_GRAB_STATUS_FROZEN:
                return "frozen by another client's grab";
            default:
                return "not grabbable";
            }
        };
        auto* pointeur =
            xcb_grab_pointer_reply(c,
                                   xcb_grab_pointer(c, 0, racine, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                                                    XCB_NONE, XCB_CURRENT_TIME),
                                   nullptr);
        auto* clavier = xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 0, racine, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
        const QString texte = QStringLiteral("pointer %1, keyboard %2")
                                  .arg(QString::fromLatin1(etat(pointeur)), QString::fromLatin1(etat(clavier)));
        std::free(pointeur);
        std::free(clavier);
        // Leaving gives back whatever this connection got.
        xcb_disconnect(c);
        return texte;
    }

    // As colord does (xprop stops at 64 values). Checked, so that the server has it
    // before this connection goes; being -noreset, it keeps it.
    bool poserProfilRacine(const QByteArray& icc)
    {
        xcb_connection_t* c = xcb_connect(qPrintable(affichage_), nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return false;
        }
        const xcb_window_t racine = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_intern_atom_reply_t* atome = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 12, "_ICC_PROFILE"), nullptr);
        xcb_generic_error_t* erreur = nullptr;
        if (atome)
            erreur = xcb_request_check(c, xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, racine, atome->atom,
                                                                      XCB_ATOM_CARDINAL, 8, uint32_t(icc.size()),
                                                                      icc.constData()));
        const bool ok = atome && !erreur;
        std::free(atome);
        std::free(erreur);
        xcb_disconnect(c);
        return ok;
    }

private slots:
    void initTestCase()
    {
        for (const char* o : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(o)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(o))));
        programme_ = QCoreApplication::applicationDirPath() + QStringLiteral("/ormelle");
        if (!QFileInfo(programme_).isExecutable())
            QSKIP("bin/ormelle is not built");

        // The server, the window manager and the program end with the test, even when it is
        // killed: left behind, they would stand in the way of the next run.
        for (QProcess* p : {&serveur_, &gestionnaire_, &ormelle_})
            p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        // The server picks a display number nobody uses and tells it on its output.
        // -noreset: otherwise the server resets when its last client leaves (the probe below),
        // and the window manager connecting at that moment is turned away.
        serveur_.start(QStringLiteral("Xvfb"),
                       {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"});
        if (!serveur_.waitForStarted(5000))
            QSKIP("Xvfb cannot start");
        if (!QTest::qWaitFor([&] { return serveur_.canReadLine() || serveur_.state() != QProcess::Running; }, Attente)
            || !serveur_.canReadLine())
            QSKIP("Xvfb gives no display");
        affichage_ = QLatin1Char(':') + QString::fromLatin1(serveur_.readLine().trimmed());

        for (const char* d : {"home", "config/Ormelle", "data", "runtime"})
            QVERIFY(QDir().mkpath(bac_.filePath(QString::fromLatin1(d))));
        QFile::setPermissions(bac_.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("DISPLAY", affichage_);
        env_.insert("HOME", bac_.filePath("home"));
        env_.insert("XDG_CONFIG_HOME", bac_.filePath("config"));
        env_.insert("XDG_DATA_HOME", bac_.filePath("data"));
        env_.insert("XDG_RUNTIME_DIR", bac_.filePath("runtime"));
        env_.insert("QT_QPA_PLATFORM", "xcb");
        env_.insert("QT_SCALE_FACTOR", "1");
        env_.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
        env_.remove("DBUS_SESSION_BUS_ADDRESS");
        env_.remove("WAYLAND_DISPLAY");
        // With no bus, the D-Bus library would look for dbus-launch on the PATH: a stand-in
        // there notes being run.
        QVERIFY(QDir().mkpath(bac_.filePath("bin")));
        QFile lanceBus(bac_.filePath("bin/dbus-launch"));
        QVERIFY(lanceBus.open(QIODevice::WriteOnly));
        lanceBus.write("#!/bin/sh\n: > \"$0.lance\"\nexit 1\n");
        lanceBus.close();
        QVERIFY(lanceBus.setPermissions(lanceBus.permissions() | QFile::ExeOwner));
        env_.insert("PATH", bac_.filePath("bin") + QLatin1Char(':') + env_.value("PATH"));

        bool pret = false;
        outil(QStringLiteral("xprop"), {"-root", "-len", "1"}, &pret);
        if (!pret)
            QSKIP("Xvfb does not answer");
        gestionnaire_.setProcessEnvironment(env_);
        gestionnaire_.setProcessChannelMode(QProcess::MergedChannels);
        connect(&gestionnaire_, &QProcess::readyRead, this,
                [this] { journal_ += QString::fromLocal8Bit(gestionnaire_.readAll()); });
        // --debug, line by line: what it was doing (a move, a menu, a focus change) goes in
        // the log of a run that hangs.
        gestionnaire_.start(QStringLiteral("stdbuf"), {"-oL", "-eL", "openbox", "--sm-disable", "--debug"});
        if (!gestionnaire_.waitForStarted(5000))
            QSKIP("openbox cannot start");
        const bool gere = QTest::qWaitFor(
            [&] {
                return gestionnaire_.state() != QProcess::Running
                       || outil(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"})
                              .contains(QLatin1String("window id"));
            },
            3 * Attente);
        QVERIFY2(gere && gestionnaire_.state() == QProcess::Running,
                 qPrintable(QStringLiteral("openbox: ") + journal_));
        // The first key xdotool types switches the server's keyboard to xdotool's own device,
        // whose key map the window manager is then told of: it drops its key bindings and
        // takes them back, and an Alt+F4 typed in between reaches the window, not the manager.
        // A harmless key first, then the manager's word that its bindings are back.
        QVERIFY(souris({"key", "shift"}));
        (void)QTest::qWaitFor([&] { return journal_.contains(QLatin1String("Reloading keyboard bindings")); },
                              Attente / 4);

        // No notice and no tip at start: the test goes straight to the main window.
        Reglages reglages(bac_.filePath("config/Ormelle/Ormelle.ini"));
        reglages.SaveSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "Non");
        reglages.SaveSetting(cles::Application, cles::SectionConseils, cles::CleConseil, "Non");
        reglages.SaveSetting(cles::Application, cles::SectionDossier, cles::CleDossier, bac_.filePath("home"));
        for (int i = 0; i < Couleurs.size(); ++i) {
            QImage image(400, 300, QImage::Format_RGB32);
            image.fill(Couleurs[i]);
            QVERIFY(image.save(bac_.filePath(QStringLiteral("home/%1.bmp").arg(QChar('a' + i)))));
        }

        ormelle_.setProcessEnvironment(env_);
        ormelle_.setProcessChannelMode(QProcess::ForwardedChannels);
        ormelle_.start(programme_, {});
        QVERIFY(ormelle_.waitForStarted(5000));
    }

    void init()
    {
        echouerSurConnexionRompue();
        if (!blocage_.isEmpty())
            QSKIP("The desktop stopped answering in an earlier case");
    }

    void cleanup()
    {
        if (!blocage_.isEmpty() && !std::exchange(blocageSignale_, true))
            QFAIL(qPrintable(QStringLiteral("The desktop stopped answering:\n  ") + blocage_));
    }

    void cleanupTestCase()
    {
        for (QProcess* p : {&ormelle_, &gestionnaire_, &serveur_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000)) {
                    p->kill();
                    p->waitForFinished(5000);
                }
            }
        }
    }

    // The launcher names the class the windows really have, so that the desktop ties them
    // to its icon and name.
    void classeDuLanceur()
    {
        const Fenetre principale = attendre(QSize(697, 463));
        QVERIFY(!principale.id.isEmpty());
        QFile lanceur(QStringLiteral(ORMELLE_SOURCE_DATA "/io.github.ormelle.desktop"));
        QVERIFY(lanceur.open(QIODevice::ReadOnly));
        static const QRegularExpression ligne(QStringLiteral("(?m)^StartupWMClass=(.+)$"));
        const QString classe = ligne.match(QString::fromUtf8(lanceur.readAll())).captured(1);
        QVERIFY(!classe.isEmpty());
        const QString wmClass = outil(QStringLiteral("xprop"), {"-id", principale.id, "WM_CLASS"});
        QVERIFY2(wmClass.contains(QStringLiteral(", \"%1\"").arg(classe)), qPrintable(wmClass));
    }

    // Started with no session bus, the program forks no dbus-launch to make one.
    void pasDeBusLanceAuDemarrage()
    {
        if (QFileInfo::exists(QStringLiteral("/usr/bin/dbus-launch")))
            QSKIP("dbus-launch is installed, and the D-Bus library runs it before the stand-in");
        QVERIFY(!attendre(QSize(697, 463)).id.isEmpty());
        QVERIFY(!QFileInfo::exists(bac_.filePath("bin/dbus-launch.lance")));
    }

    // Dragged with the right button, the window follows while the button is held and
    // stays where it was let go.
    void deplacementAuBoutonDroit()
    {
        const Fenetre principale = attendre(QSize(697, 463));
        QVERIFY(!principale.id.isEmpty());
        const QPoint depart = principale.cadre.topLeft() + QPoint(300, 10);
        QVERIFY(amenerPointeur(depart));
        QVERIFY(souris({"mousedown", "3"}));
        for (int pas = 1; pas <= 10; ++pas)
            QVERIFY(amenerPointeur(depart + QPoint(10 * pas, 6 * pas)));
        const QPoint attendu = principale.cadre.topLeft() + QPoint(100, 60);
        QTRY_COMPARE_WITH_TIMEOUT(cadre(principale.id).topLeft(), attendu, Attente);
        QVERIFY(souris({"mouseup", "3"}));
        // Let go: moving on must leave the window where it is.
        for (int pas = 1; pas <= 10; ++pas) {
            QVERIFY(amenerPointeur(depart + QPoint(100 + 15 * pas, 60 + 10 * pas)));
            QCOMPARE(cadre(principale.id).topLeft(), attendu);
        }
    }

    // Started and moved, the program has loaded what pictures need: its folders,
    // bitmaps and icons need no image plugin, the sound libraries wait for the first
    // sound, and the HEIF and JPEG XL readers for the first such picture.
    void rienDeSuperfluAuDemarrage()
    {
        QVERIFY(!attendre(QSize(697, 463)).id.isEmpty());
        QFile cartes(QStringLiteral("/proc/%1/maps").arg(ormelle_.processId()));
        QVERIFY(cartes.open(QIODevice::ReadOnly));
        const QByteArray carte = cartes.readAll();
        for (const char* b : {"/imageformats/", "libormelle-son", "libQt6Multimedia", "libfluidsynth", "libsndfile",
                              "libheif", "libjxl"}) {
            const qsizetype trouve = carte.indexOf(b);
            QVERIFY2(trouve < 0, carte.mid(trouve, 60).constData());
        }
    }

    // The colour chooser opens centred on the main window, and its help is usable at once,
    // above it, while it is still open.
    void dialogueCentreEtAideUtilisable()
    {
        const Fenetre principale = attendre(QSize(697, 463));
        QVERIFY(cliquer(principale, QPoint(358, 416), 3));
        const Fenetre couleurs = attendre(QSize(364, 246));
        QVERIFY(!couleurs.id.isEmpty());
        const QPoint ecart = couleurs.cadre.center() - principale.cadre.center();
        QVERIFY2(ecart.manhattanLength() <= 2, qPrintable(QStringLiteral("écart %1,%2").arg(ecart.x()).arg(ecart.y())));

        QVERIFY(cliquer(couleurs, QPoint(344, 80), 3));
        const Fenetre aide = attendre(QSize(760, 560));
        QVERIFY(!aide.id.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(empilement().indexOf(aide.id) > empilement().indexOf(couleurs.id), Attente);
        capturer(QStringLiteral("aide-depuis-dialogue.png"));
        // Closed from the window manager while the dialog waits: a blocked window refuses it.
        fermerParLeGestionnaire(aide.id);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(fenetres(QSize(760, 560)).isEmpty(), Attente);
        QVERIFY(!fenetres(QSize(364, 246)).isEmpty());
        QVERIFY(cliquer(couleurs, QPoint(344, 162), 1));
        QTRY_VERIFY_WITH_TIMEOUT(fenetres(QSize(364, 246)).isEmpty(), Attente);
    }

    // The colour at the middle of the screen, as the X server shows it.
    QColor milieu()
    {
        const QString fichier = bac_.filePath(QStringLiteral("milieu.png"));
        outil(QStringLiteral("import"), {"-window", "root", "-crop", "1x1+640+512", "+repage", fichier});
        const QImage image(fichier);
        return image.isNull() ? QColor() : image.pixelColor(0, 0);
    }

    // In full screen, notches of a real wheel over the picture step through the folder
    // both ways, wrapping, and the middle button leaves.
    void rouletteEtBoutonDuMilieuEnPleinEcran()
    {
        const Fenetre principale = attendre(QSize(697, 463));
        QVERIFY(pleinEcranDepuisLaListe(principale));
        QTRY_COMPARE_WITH_TIMEOUT(milieu(), Couleurs[0], Attente);
        QVERIFY(amenerPointeur(QPoint(640, 512)));
        QVERIFY(souris({"click", "5"}));
        QTRY_COMPARE_WITH_TIMEOUT(milieu(), Couleurs[1], Attente);
        QVERIFY(souris({"click", "4"}));
        QVERIFY(souris({"click", "4"}));
        QTRY_COMPARE_WITH_TIMEOUT(milieu(), Couleurs[2], Attente);
        QVERIFY(souris({"click", "2"}));
        QTRY_VERIFY_WITH_TIMEOUT(fenetres(QSize(1280, 1024)).isEmpty(), Attente);
        QVERIFY(!fenetres(QSize(697, 463)).isEmpty());
    }

    // Closed by the window manager with the backdrop shown: the run ends.
    void fermetureParLeGestionnaire()
    {
        const Fenetre principale = attendre(QSize(697, 463));
        QVERIFY(cliquer(principale, QPoint(358, 416), 1));
        QTRY_VERIFY_WITH_TIMEOUT(!fenetres(QSize(1280, 1024)).isEmpty(), Attente);
        fermerParLeGestionnaire(principale.id);
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(ormelle_.state(), QProcess::NotRunning, Attente);
        QCOMPARE(ormelle_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ormelle_.exitCode(), 0);
    }

    // The profile a colour manager puts on the root window is the display's: the
    // program started after it draws the same picture through it.
    void profilDeLEcranSurLaRacine()
    {
        QTRY_COMPARE_WITH_TIMEOUT(ormelle_.state(), QProcess::NotRunning, Attente);
        const QByteArray romm = profilsessai::romm();
        QVERIFY(poserProfilRacine(romm));
        ormelle_.start(programme_, {});
        QVERIFY(ormelle_.waitForStarted(5000));
        const Fenetre principale = attendre(QSize(697, 463));
        QVERIFY(pleinEcranDepuisLaListe(principale));
        const QColor attendue = QColor(profilsessai::convertir(Couleurs[0].rgb(), {}, romm));
        QColor vu;
        const auto proche = [&] {
            vu = milieu();
            return std::abs(vu.red() - attendue.red()) <= 2 && std::abs(vu.green() - attendue.green()) <= 2
                   && std::abs(vu.blue() - attendue.blue()) <= 2;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(proche(), qPrintable(vu.name() + QStringLiteral(" au lieu de ") + attendue.name()),
                                  Attente);
    }
};

QTEST_GUILESS_MAIN(TestBureau)
#include "tst_bureau.moc"
