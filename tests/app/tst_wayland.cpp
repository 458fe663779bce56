// The real program as a Wayland client of weston, the reference compositor, started
// privately by the test (its own runtime folder and socket) and seen from the
// compositor's side: its scene graph (where each surface stands, on which output), its
// screenshots, and the clipboard read by wl-paste, another client.
//
// Two compositors: the headless one, which has no input at all, for the start-up and
// the preview; and one drawing into a private Xvfb with two outputs side by side, whose
// seat takes real pointer and keys from xdotool, for everything the user does with the
// mouse (the system move, full screen on the output of the main window, the clipboard).
// Skipped where weston, its tools or Qt's Wayland plugin are missing.
#include "bancwayland.h"
#include "commun/connexionsrompues.h"
#include "core/reglages.h"

#include <QLibraryInfo>
#include <QStandardPaths>
#include <QtTest>

class TestWayland : public QObject, private BancWayland {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        for (const char* o : {"weston", "weston-debug"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(o)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(o))));
        const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
        if (plugins.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty())
            QSKIP("Qt's Wayland platform plugin is not installed");
        programme_ = QCoreApplication::applicationDirPath() + QStringLiteral("/ormelle");
        if (!QFileInfo(programme_).isExecutable())
            QSKIP("bin/ormelle is not built");

        // A runtime folder of mode 0700 is what weston asks for, as root too.
        for (const char* d : {"home/images", "config/Ormelle", "data", "runtime"})
            QVERIFY(QDir().mkpath(bac_.filePath(QString::fromLatin1(d))));
        QVERIFY(
            QFile::setPermissions(bac_.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("HOME", bac_.filePath("home"));
        env_.insert("XDG_CONFIG_HOME", bac_.filePath("config"));
        env_.insert("XDG_DATA_HOME", bac_.filePath("data"));
        env_.insert("XDG_RUNTIME_DIR", bac_.filePath("runtime"));
        env_.insert("QT_SCALE_FACTOR", "1");
        env_.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
        env_.remove("DBUS_SESSION_BUS_ADDRESS");
        env_.remove("DISPLAY");
        env_.remove("WAYLAND_DISPLAY");
        env_.remove("QT_QPA_PLATFORM");

        // No notice and no tip at start: straight to the main window.
        Reglages reglages(bac_.filePath("config/Ormelle/Ormelle.ini"));
        reglages.SaveSetting(cles::Application, cles::SectionAvertissement, cles::CleAffichage, "Non");
        reglages.SaveSetting(cles::Application, cles::SectionConseils, cles::CleConseil, "Non");

        // A picture smaller than every screen, so that it is shown at its own size.
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(Teinte);
        image_ = bac_.filePath("home/images/essai.png");
        QVERIFY(image.save(image_));
    }

    void cleanupTestCase() { arreterTout(); }

    // Without any input device: Ormelle starts, maps its main window and shows the picture
    // named on its command line in the preview.
    void demarrageSansEntree()
    {
        arreterTout();
        if (!demarrerWeston({"--backend=headless-backend.so", "--width=1024", "--height=768"}))
            QSKIP("weston's headless backend does not start here");
        demarrerOrmelle();
        const Vue principale = attendre(Principale);
        QVERIFY2(principale.pid != 0, "the main window is not mapped");
        QCOMPARE(principale.sorties, QList<int>{0});
        QVERIFY(QRect(QPoint(), Sortie).contains(principale.cadre));
        QImage vu;
        QTRY_VERIFY_WITH_TIMEOUT(taches(vu = ecran(), principale.cadre).first > 10000, Attente);
        garder(vu, QStringLiteral("wayland-sans-entree.png"));
        arreterTout();
    }

    // Two outputs side by side, the pointer on the second: the compositor opens the main
    // window there, and the preview shows the picture.
    void demarrageSurLaSortieDuPointeur()
    {
        for (const char* o : {"Xvfb", "xdotool", "xwininfo", "import", "wl-paste"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(o)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(o))));
        arreterTout(); // what a failed step before may have left running
        lierAuTest(xvfb_);
        // -noreset: a server that resets when its last client leaves turns away the next one.
        xvfb_.start(QStringLiteral("Xvfb"),
                    {"-displayfd", "1", "-screen", "0", "2048x768x24", "-nolisten", "tcp", "-noreset"});
        if (!xvfb_.waitForStarted(5000))
            QSKIP("Xvfb cannot start");
        if (!QTest::qWaitFor([&] { return xvfb_.canReadLine() || xvfb_.state() != QProcess::Running; }, Attente)
            || !xvfb_.canReadLine())
            QSKIP("Xvfb gives no display");
        env_.insert("DISPLAY", QLatin1Char(':') + QString::fromLatin1(xvfb_.readLine().trimmed()));
        if (!demarrerWeston({"--backend=x11-backend.so", "--width=1024", "--height=768", "--output-count=2"}))
            QSKIP("weston's X11 backend does not start here");
        siege_ = true;
        // Each output is an X window; the second goes right of the first, so that X's
        // coordinates are the compositor's.
        static const QRegularExpression seconde(QStringLiteral("(0x[0-9a-f]+) \"[^\"]*screen1\""));
        const QString id =
            seconde.match(QString::fromUtf8(outil(QStringLiteral("xwininfo"), {"-root", "-tree"}))).captured(1);
        QVERIFY2(!id.isEmpty(), "no X window for the second output");
        xdotool({"windowmove", "--sync", id, "1024", "0"});
        pointer(QPoint(1536, 500));

        demarrerOrmelle();
        const Vue principale = attendre(Principale);
        QVERIFY2(principale.pid != 0, "the main window is not mapped");
        QCOMPARE(principale.sorties, QList<int>{1});
        QImage vu;
        QTRY_VERIFY_WITH_TIMEOUT(taches(vu = ecran(), principale.cadre).first > 10000, Attente);
        garder(vu, QStringLiteral("wayland-demarrage.png"));
    }

    // The title bar drags the frameless main window through the compositor, with the left
    // button as with the right one; let go, it stays.
    void deplacementParLeCompositeur()
    {
        exigerSiege();
        Vue principale = attendre(Principale);
        QVERIFY(principale.pid != 0);
        const QPoint prise(300, 10);
        for (const auto& [bouton, but] : {qMakePair(1, QPoint(1150, 120)), qMakePair(3, QPoint(1250, 200))}) {
            glisser(principale.cadre.topLeft() + prise, but + prise, bouton);
            QTRY_COMPARE_WITH_TIMEOUT(attendre(Principale).cadre.topLeft(), but, Attente);
            pointer(but + prise + QPoint(60, 40));
            QCOMPARE(attendre(Principale).cadre.topLeft(), but);
            principale = attendre(Principale);
        }
    }

    // A click on the picture opens the viewer in full screen on the main window's output.
    void pleinEcranSurLaSortieDeLaFenetre()
    {
        exigerSiege();
        const Vue principale = attendre(Principale);
        QVERIFY(principale.pid != 0);
        const auto [nombre, centre] = taches(ecran(), principale.cadre);
        QVERIFY(nombre > 10000);
        pointer(centre);
        xdotool({"click", "1"});
        const Vue plein = attendre(Sortie);
        QVERIFY2(plein.pid != 0, "no full-screen surface");
        QCOMPARE(plein.cadre, QRect(QPoint(1024, 0), Sortie));
        QCOMPARE(plein.sorties, QList<int>{1});
        pointer(plein.cadre.topLeft() + QPoint(40, 200)); // the compositor draws the pointer too
        QImage vu;
        // The picture at its own size in the middle of the output.
        QTRY_COMPARE_WITH_TIMEOUT(taches(vu = ecran(), plein.cadre).first, 320 * 240, Attente);
        QCOMPARE(taches(vu, plein.cadre).second, plein.cadre.center());
        garder(vu, QStringLiteral("wayland-plein-ecran.png"));
        pleinEcran_ = true;
    }

    // "Copier l'image" then "Image seule": another client reads the picture alone.
    void copieImageSeule()
    {
        exigerSiege();
        if (!pleinEcran_)
            QSKIP("the viewer is not shown");
        const QImage lue = copierParLeMenu(0);
        QVERIFY2(!lue.isNull(), "nothing on the clipboard");
        QCOMPARE(lue.size(), QSize(320, 240));
        QCOMPARE(taches(lue, lue.rect()).first, 320 * 240);
    }

    // "Tout l'écran": the viewer's own window as the output shows it, pixel for pixel.
    void copieToutLEcran()
    {
        exigerSiege();
        if (!pleinEcran_)
            QSKIP("the viewer is not shown");
        const QImage lue = copierParLeMenu(1);
        QVERIFY2(!lue.isNull(), "nothing on the clipboard");
        QCOMPARE(lue.size(), Sortie);
        garder(lue, QStringLiteral("wayland-tout-l-ecran.png"));
        const QImage vu = ecran().copy(QRect(QPoint(1024, 0), Sortie)).convertToFormat(QImage::Format_RGB32);
        const QImage copie = lue.convertToFormat(QImage::Format_RGB32);
        int differents = 0;
        for (int y = 0; y < Sortie.height(); ++y)
            for (int x = 0; x < Sortie.width(); ++x)
                differents += !proche(vu.pixel(x, y), copie.pixel(x, y));
        QVERIFY2(differents < Sortie.width() * Sortie.height() / 100, qPrintable(QString::number(differents)));
        QCOMPARE(taches(lue, lue.rect()).first, 320 * 240);
    }

    // "Afficher/Masquer la barre des tâches": the viewer gives the desktop's panel back,
    // then covers its output again.
    void barreDesTachesAfficheeEtMasquee()
    {
        exigerSiege();
        if (!pleinEcran_)
            QSKIP("the viewer is not shown");
        pleinEcran_ = false; // until it is back
        const QStringList entree{"Down", "Down", "Return"};
        const QRect sortie(QPoint(1024, 0), Sortie);
        QVERIFY(menu(sortie.topLeft() + QPoint(40, 200), entree));
        // The panel shows on the viewer's output as on the other one.
        const auto panneauVisible = [&] {
            const QImage vu = ecran();
            const QRgb panneau = vu.pixel(300, 16);
            if (vu.pixel(1024 + 300, 16) != panneau || panneau == qRgb(0, 0, 0))
                return false;
            garder(vu, QStringLiteral("wayland-barre-affichee.png"));
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(panneauVisible(), Attente);

        // Wherever the compositor put the viewer, its menu hides the panel again.
        const Vue viewer = attendre(Sortie);
        QVERIFY(viewer.pid != 0);
        const QRect visible = viewer.cadre & sortie;
        QVERIFY(menu(visible.topLeft() + QPoint(40, visible.height() / 2), entree));
        QTRY_COMPARE_WITH_TIMEOUT(attendre(Sortie).cadre, sortie, Attente);
        QTRY_VERIFY_WITH_TIMEOUT(!panneauVisible(), Attente);
        pleinEcran_ = true;
    }

    // Esc leaves the viewer; then the real-size button of the thumbnail page opens the
    // single view, which a left click closes. Under X11 that click puts the pointer in
    // the middle of the screen; Wayland refuses that, and Ormelle does not ask.
    void vueUniqueFermeeSansDeplacerLePointeur()
    {
        exigerSiege();
        if (!pleinEcran_)
            QSKIP("the viewer is not shown");
        const Vue plein = attendre(Sortie);
        QVERIFY(plein.pid != 0);
        // The click brings the viewer back to the front with its menu; Esc closes the
        // menu, then the viewer.
        pointer(plein.cadre.topLeft() + QPoint(40, 200));
        xdotool({"click", "1"});
        for (int i = 0; i < 2; ++i)
            xdotool({"key", "Escape"});
        QTRY_VERIFY_WITH_TIMEOUT(fenetres(Sortie).isEmpty(), Attente);
        pleinEcran_ = false;

        const Vue principale = attendre(Principale);
        QVERIFY(principale.pid != 0);
        const QPoint coin = principale.cadre.topLeft();
        pointer(coin + QPoint(525, 416)); // the thumbnail page
        xdotool({"click", "1"});
        pointer(coin + QPoint(120, 100)); // a right press on the folder list fills it
        xdotool({"click", "3"});
        pointer(coin + QPoint(635, 174)); // CmdVPlEcr
        xdotool({"click", "1"});
        const Vue unique = attendre(Sortie);
        QVERIFY2(unique.pid != 0, "no single view");
        QCOMPARE(unique.cadre.topLeft(), QPoint(1024, 0));
        pointer(unique.cadre.topLeft() + QPoint(40, 200));
        xdotool({"click", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(fenetres(Sortie).isEmpty(), Attente);
        QVERIFY(!fenetres(Principale).isEmpty());
        // Anything said before the view went is in the pipe by now.
        while (ormelle_.waitForReadyRead(0)) {
        }
        QVERIFY2(!journal_.contains("not possible on wayland"), journal_.constData());
    }
};

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
