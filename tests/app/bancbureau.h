#pragma once
// The desktop test's bench: a private X server and window manager, the real program
// on them, the tools that drive and see them (xdotool, xwininfo, xprop, import), and
// what the desktop looked like when one of them stopped answering.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

struct Fenetre {
    QString id;
    QRect cadre;
};

inline constexpr int Attente = 20000;
inline const QList<QColor> Couleurs{QColor(200, 30, 30), QColor(30, 160, 60), QColor(40, 60, 190)};

class BancBureau {
protected:
    QTemporaryDir bac_;
    QProcess serveur_;
    QProcess gestionnaire_;
    QProcess ormelle_;
    QString affichage_;
    QString programme_;
    QProcessEnvironment env_;
    // What the desktop looked like when a tool first stopped answering; from then on no
    // tool is run and every case stops at once, instead of each call waiting its turn.
    QString blocage_;
    bool blocageSignale_ = false;
    bool diagnostic_ = false;
    QString journal_; // the window manager's output

    virtual ~BancBureau() = default;
    // Whether another client holds the pointer or the keyboard, for the log of a run that hung.
    virtual QString saisies() = 0;

    QString outil(const QString& nom, const QStringList& arguments, bool* ok = nullptr)
    {
        if (ok)
            *ok = false;
        if (!blocage_.isEmpty())
            return {};
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(nom, arguments);
        if (!p.waitForFinished(10000) && p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
            noterBlocage(nom + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
            return {};
        }
        if (ok)
            *ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    // The state of the desktop in the log, and the screen beside it, for a run that hung.
    void noterBlocage(const QString& commande)
    {
        if (diagnostic_)
            return;
        diagnostic_ = true;
        QStringList etat{commande + QStringLiteral(" did not finish"), saisies(),
                         outil(QStringLiteral("xprop"), {"-root", "_NET_ACTIVE_WINDOW"}).trimmed()};
        for (const QString& id : empilement())
            etat << id + QStringLiteral(": ")
                        + outil(QStringLiteral("xprop"), {"-id", id, "WM_NAME", "_NET_WM_STATE"}).simplified();
        const QString dossier = qEnvironmentVariableIsSet("ORMELLE_CAPTURES") ? qEnvironmentVariable("ORMELLE_CAPTURES")
                                                                              : QDir::currentPath();
        const QString ecran = dossier + QStringLiteral("/app_bureau-blocage.png");
        outil(QStringLiteral("import"), {"-window", "root", ecran});
        etat << QStringLiteral("screen: ") + ecran << QStringLiteral("openbox, last lines:");
        gestionnaire_.waitForReadyRead(500);
        const QStringList journal = journal_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        etat << journal.mid(qMax(0, journal.size() - 30));
        blocage_ = etat.join(QStringLiteral("\n  "));
        diagnostic_ = false;
    }

    QRect cadre(const QString& id)
    {
        const QString info = outil(QStringLiteral("xwininfo"), {"-id", id});
        if (!info.contains(QLatin1String("IsViewable")))
            return {};
        const auto valeur = [&](const char* cle) {
            const QRegularExpression re(QString::fromLatin1(cle) + QStringLiteral(":\\s*(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        return {valeur("Absolute upper-left X"), valeur("Absolute upper-left Y"), valeur("Width"), valeur("Height")};
    }

    // The program's windows on screen of the given size.
    QList<Fenetre> fenetres(const QSize& taille)
    {
        QList<Fenetre> trouvees;
        const QStringList ids = outil(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--class", "ormelle"})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QRect r = cadre(id);
            if (r.size() == taille)
                trouvees << Fenetre{id, r};
        }
        return trouvees;
    }

    // The first window of that size once one is on screen; an empty id after the wait.
    Fenetre attendre(const QSize& taille)
    {
        QList<Fenetre> f;
        (void)QTest::qWaitFor([&] { return !(f = fenetres(taille)).isEmpty(); }, Attente);
        return f.isEmpty() ? Fenetre{} : f.first();
    }

    // False once xdotool hangs: the case stops there, the desktop's state is in the log.
    [[nodiscard]] bool souris(const QStringList& arguments)
    {
        outil(QStringLiteral("xdotool"), arguments);
        return blocage_.isEmpty();
    }

    // The pointer sent there and seen there. xdotool's own --sync was seen waiting past its
    // bound with nothing holding the pointer, on a retried click at the same place.
    [[nodiscard]] bool amenerPointeur(QPoint p)
    {
        if (!souris({"mousemove", QString::number(p.x()), QString::number(p.y())}))
            return false;
        static const QRegularExpression position(QStringLiteral("X=(\\d+)\\s+Y=(\\d+)"));
        const bool arrive = QTest::qWaitFor(
            [&] {
                const auto m = position.match(outil(QStringLiteral("xdotool"), {"getmouselocation", "--shell"}));
                return !blocage_.isEmpty()
                       || (m.hasMatch() && QPoint(m.captured(1).toInt(), m.captured(2).toInt()) == p);
            },
            Attente);
        return arrive && blocage_.isEmpty();
    }

    // File1's first line clicked and Return pressed, again while no full-screen
    // window shows: the folder is listed off the interface thread, and on a busy
    // machine the window can be on screen before its list is filled.
    bool pleinEcranDepuisLaListe(const Fenetre& principale)
    {
        for (int essai = 0; essai < 4; ++essai) {
            if (!cliquer(principale, QPoint(60, 212), 1) || !souris({"key", "Return"}))
                return false;
            if (QTest::qWaitFor([&] { return !fenetres(QSize(1280, 1024)).isEmpty(); }, Attente / 4))
                return true;
        }
        return false;
    }

    [[nodiscard]] bool cliquer(const Fenetre& f, QPoint point, int bouton)
    {
        point += f.cadre.topLeft();
        return amenerPointeur(point) && souris({"click", QString::number(bouton)});
    }

    void capturer(const QString& nom)
    {
        const QString dossier =
            qEnvironmentVariableIsSet("ORMELLE_CAPTURES") ? qEnvironmentVariable("ORMELLE_CAPTURES") : bac_.path();
        const QString fichier = dossier + QLatin1Char('/') + nom;
        outil(QStringLiteral("import"), {"-window", "root", fichier});
        QImage image(fichier);
        QVERIFY2(!image.isNull(), qPrintable(fichier));
        QCOMPARE(image.size(), QSize(1280, 1024));
    }

    // Alt+F4 as a user types it: a real key press on the active window, which the window
    // manager's binding turns into a close request (a key sent to the window would bypass it).
    void fermerParLeGestionnaire(const QString& id)
    {
        QVERIFY(souris({"windowactivate", "--sync", id}));
        QTRY_COMPARE_WITH_TIMEOUT(outil(QStringLiteral("xdotool"), {"getactivewindow"}).trimmed(), id, Attente);
        QVERIFY(souris({"key", "alt+F4"}));
    }

    // Windows from bottom to top, as the window manager stacks them.
    QStringList empilement()
    {
        const QString texte = outil(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
        QStringList ids;
        static const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
        for (auto it = hex.globalMatch(texte); it.hasNext();)
            ids << QString::number(it.next().captured(0).toUInt(nullptr, 16));
        return ids;
    }
};
