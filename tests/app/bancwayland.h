#pragma once
// The Wayland test's bench: weston started privately (its own runtime folder and
// socket), alone or drawing into a private Xvfb whose seat xdotool drives; the real
// program as its client; and what the compositor shows, read from its scene graph
// and its screenshots.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/prctl.h>

inline constexpr int Attente = 10000;
inline constexpr QSize Sortie(1024, 768);
inline constexpr QSize Principale(697, 463);
// A colour no part of Ormelle's windows is painted with.
inline const QColor Teinte(250, 20, 180);

// A surface as the compositor shows it.
struct Vue {
    QString role;
    qint64 pid = 0;
    QRect cadre;
    QList<int> sorties;
};

inline bool proche(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 && qAbs(qBlue(a) - qBlue(b)) <= 8;
}

// The pixels of the test's colour within `zone`: how many, and their centre.
inline QPair<int, QPoint> taches(const QImage& image, const QRect& zone)
{
    int n = 0;
    qint64 sx = 0, sy = 0;
    const QRect r = zone.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (proche(image.pixel(x, y), Teinte.rgb())) {
                ++n;
                sx += x;
                sy += y;
            }
    return {n, n ? QPoint(int(sx / n), int(sy / n)) : QPoint()};
}

// Children die with the test, even when it is killed at its time-out.
inline void lierAuTest(QProcess& p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

class BancWayland {
protected:
    QTemporaryDir bac_;
    QString programme_;
    QString image_;
    QProcess xvfb_;
    QProcess weston_;
    QProcess ormelle_;
    QProcessEnvironment env_;
    bool siege_ = false;      // the compositor with two outputs and a seat is up
    bool pleinEcran_ = false; // the viewer is shown there
    QByteArray journal_;      // Ormelle's error output

    // A tool's output; empty when it fails or hangs.
    QByteArray outil(const QString& nom, const QStringList& arguments, const QString& dossier = QString())
    {
        QProcess p;
        lierAuTest(p);
        p.setProcessEnvironment(env_);
        if (!dossier.isEmpty())
            p.setWorkingDirectory(dossier);
        p.start(nom, arguments);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished(5000);
            return {};
        }
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
    }

    // The compositor's scene graph, every surface of every layer.
    QList<Vue> vues()
    {
        static const QRegularExpression tete(QStringLiteral(R"(^\s*View \d+ \(role ([^,]+), PID (\d+),)"));
        static const QRegularExpression position(
            QStringLiteral(R"(^\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))"));
        static const QRegularExpression sorties(QStringLiteral(R"(^\s*outputs:(.*))"));
        static const QRegularExpression numero(QStringLiteral(R"((\d+) \()"));
        QList<Vue> liste;
        const QString texte = QString::fromUtf8(outil(QStringLiteral("weston-debug"), {"scene-graph"}));
        for (const QString& ligne : texte.split(QLatin1Char('\n'))) {
            if (const auto m = tete.match(ligne); m.hasMatch()) {
                liste.append(Vue{m.captured(1), m.captured(2).toLongLong(), {}, {}});
            } else if (const auto p = position.match(ligne); p.hasMatch() && !liste.isEmpty()) {
                liste.last().cadre = QRect(QPoint(p.captured(1).toInt(), p.captured(2).toInt()),
                                           QPoint(p.captured(3).toInt() - 1, p.captured(4).toInt() - 1));
            } else if (const auto s = sorties.match(ligne); s.hasMatch() && !liste.isEmpty()) {
                for (auto it = numero.globalMatch(s.captured(1)); it.hasNext();)
                    liste.last().sorties.append(it.next().captured(1).toInt());
            }
        }
        return liste;
    }

    // Ormelle's top-level surfaces of that size.
    QList<Vue> fenetres(const QSize& taille)
    {
        QList<Vue> trouvees;
        for (const Vue& v : vues())
            if (v.pid == ormelle_.processId() && v.role == QLatin1String("xdg_toplevel") && v.cadre.size() == taille)
                trouvees << v;
        return trouvees;
    }

    Vue attendre(const QSize& taille)
    {
        QList<Vue> f;
        (void)QTest::qWaitFor([&] { return !(f = fenetres(taille)).isEmpty(); }, Attente);
        return f.isEmpty() ? Vue{} : f.first();
    }

    // What the compositor shows: the X server's screen for the compositor drawn into it,
    // weston's own screenshooter for the headless one (its outputs side by side).
    QImage ecran()
    {
        const QString dossier = bac_.filePath(siege_ ? QStringLiteral("captures-x") : QStringLiteral("captures"));
        QDir(dossier).removeRecursively();
        QDir().mkpath(dossier);
        if (siege_)
            outil(QStringLiteral("import"), {"-window", "root", dossier + QStringLiteral("/ecran.png")});
        else
            outil(QStringLiteral("weston-screenshooter"), {}, dossier);
        const QStringList faites = QDir(dossier).entryList({QStringLiteral("*.png")}, QDir::Files);
        return faites.isEmpty() ? QImage() : QImage(dossier + QLatin1Char('/') + faites.first());
    }

    void garder(const QImage& image, const QString& nom)
    {
        if (qEnvironmentVariableIsSet("ORMELLE_CAPTURES"))
            image.save(qEnvironmentVariable("ORMELLE_CAPTURES") + QLatin1Char('/') + nom);
    }

    // Real input on the X server, which the compositor's seat turns into Wayland events.
    void xdotool(const QStringList& arguments) { outil(QStringLiteral("xdotool"), arguments); }
    void pointer(QPoint p) { xdotool({"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())}); }

    void glisser(QPoint depart, QPoint arrivee, int bouton)
    {
        pointer(depart);
        xdotool({"mousedown", QString::number(bouton)});
        for (int pas = 1; pas <= 10; ++pas)
            pointer(depart + (arrivee - depart) * pas / 10);
        xdotool({"mouseup", QString::number(bouton)});
    }

    void arreter(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning)
            return;
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    }

    void arreterTout()
    {
        for (QProcess* p : {&ormelle_, &weston_, &xvfb_})
            arreter(*p);
        siege_ = false;
        pleinEcran_ = false;
    }

    // weston with `arguments` on a socket of its own; false when it does not come up.
    bool demarrerWeston(const QStringList& arguments)
    {
        const QString socket = QStringLiteral("ormelle-%1").arg(QCoreApplication::applicationPid());
        env_.insert("WAYLAND_DISPLAY", socket);
        QFile::remove(bac_.filePath("runtime/" + socket));
        lierAuTest(weston_);
        weston_.setProcessEnvironment(env_);
        weston_.setStandardOutputFile(bac_.filePath("weston.log"));
        weston_.setStandardErrorFile(bac_.filePath("weston.log"), QIODevice::Append);
        weston_.start(QStringLiteral("weston"),
                      QStringList{"--socket=" + socket, "--debug", "--no-config", "--idle-time=0", "--use-pixman"}
                          + arguments);
        if (!weston_.waitForStarted(5000))
            return false;
        // Up once the shell has put its background on every output.
        return QTest::qWaitFor(
                   [&] {
                       if (weston_.state() != QProcess::Running)
                           return true;
                       for (const Vue& v : vues())
                           if (v.cadre.size() == Sortie)
                               return true;
                       return false;
                   },
                   Attente)
               && weston_.state() == QProcess::Running;
    }

    void demarrerOrmelle()
    {
        QProcessEnvironment env = env_;
        env.insert("QT_QPA_PLATFORM", "wayland");
        env.remove("DISPLAY"); // no way back to X11
        ormelle_.setProcessEnvironment(env);
        // What Ormelle says is kept, to find what Qt's Wayland plugin refused, and passed on.
        ormelle_.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        ormelle_.setReadChannel(QProcess::StandardError);
        journal_.clear();
        QObject::disconnect(&ormelle_, &QProcess::readyReadStandardError, nullptr, nullptr);
        QObject::connect(&ormelle_, &QProcess::readyReadStandardError, &ormelle_, [this] {
            const QByteArray lu = ormelle_.readAllStandardError();
            journal_ += lu;
            fputs(lu.constData(), stderr);
        });
        lierAuTest(ormelle_);
        ormelle_.start(programme_, {image_});
        QVERIFY(ormelle_.waitForStarted(5000));
    }

    void exigerSiege()
    {
        if (!siege_)
            QSKIP("the compositor with a seat is not up");
    }

    // Opens the viewer's menu with a click at `point` and types `touches` into it; false
    // when no menu comes.
    bool menu(QPoint point, const QStringList& touches)
    {
        pointer(point);
        xdotool({"click", "1"});
        // The menu is a popup surface of Ormelle's.
        if (!QTest::qWaitFor(
                [&] {
                    for (const Vue& v : vues())
                        if (v.pid == ormelle_.processId() && v.role == QLatin1String("xdg_popup"))
                            return true;
                    return false;
                },
                Attente))
            return false;
        for (const QString& t : touches)
            xdotool({"key", t});
        return true;
    }

    // Picks an entry of "Copier l'image" in the viewer's menu; returns what another client
    // then reads from the clipboard as PNG.
    QImage copierParLeMenu(int rangDansSousMenu)
    {
        const Vue plein = attendre(Sortie);
        if (plein.pid == 0)
            return {};
        QStringList touches{"Down", "Down", "Down", "Right"};
        for (int i = 0; i < rangDansSousMenu; ++i)
            touches << QStringLiteral("Down");
        touches << QStringLiteral("Return");
        if (!menu(plein.cadre.topLeft() + QPoint(40, 200), touches))
            return {};
        QImage lue;
        (void)QTest::qWaitFor(
            [&] {
                if (!outil(QStringLiteral("wl-paste"), {"--list-types"}).contains("image/png"))
                    return false;
                lue = QImage::fromData(outil(QStringLiteral("wl-paste"), {"--type", "image/png"}), "PNG");
                return !lue.isNull();
            },
            Attente);
        return lue;
    }
};
