#include "commun/connexionsrompues.h"
#include "commun/environnement.h"

#include <QDBusConnection>
#include <QProcess>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <vector>

namespace {
// A file manager on the bus that keeps what it was asked to show.
class GestionnaireFichiers : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList elements;

public slots:
    void ShowItems(const QStringList& adresses, const QString&) { elements << adresses; }
};
} // namespace

class TestGeneral : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void pressePapiersAbsent_data()
    {
        QTest::addColumn<int>("reponse");
        QTest::addColumn<QStringList>("aides");
        QTest::newRow("oui: la rubrique s'ouvre") << -1 << QStringList{"commandes_generales.htm"};
        QTest::newRow("non: rien") << 0 << QStringList{};
    }
    void pressePapiersAbsent()
    {
        QFETCH(int, reponse);
        QFETCH(QStringList, aides);
        Environnement e;
        e.services.reponsesBoite = {reponse};
        AfficherPressePapiers(e.g);
        QCOMPARE(e.services.icones, QList<int>{3}); // information: the box plays cue 22
        QCOMPARE(e.services.boites.size(), 1);
        QCOMPARE(e.services.boites[0].first, "Presse-papiers");
        QCOMPARE(e.services.boites[0].second,
                 "Vous n'avez pas installé le presse-papiers. Il n'est pas vraiment nécessaire mais vous permet de "
                 "visionner ce qui a été copié.\nSi vous ne savez pas comment l'installer, reportez-vous à la "
                 "rubrique d'aide :");
        QStringList attendues;
        for (const QString& page : aides)
            attendues << e.g.FichierAide + "::/htm/" + page;
        QCOMPARE(e.services.aides, attendues);
        QVERIFY(e.services.programmes.isEmpty());
    }

    void pressePapiersInstalle()
    {
        // The first viewer found is started, and nothing is asked.
        Environnement e;
        e.services.installes = {"gpaste-client", "diodon"};
        AfficherPressePapiers(e.g);
        QCOMPARE(e.services.programmes.size(), 1);
        QCOMPARE(e.services.programmes[0].first, "gpaste-client");
        QCOMPARE(e.services.programmes[0].second, QStringList{"ui"});
        QVERIFY(e.services.boites.isEmpty());
    }

    // On a private session bus: the file manager there is asked to show the item, and
    // once it has left the bus the answer is no, so that the caller falls back.
    void gestionnaireDeFichiersSurLeBus()
    {
        QProcess bus;
        bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!bus.waitForStarted(5000))
            QSKIP("dbus-daemon cannot start here");
        QTRY_VERIFY_WITH_TIMEOUT(bus.canReadLine(), 10000);
        const QByteArray adresseBus = bus.readLine().trimmed();
        // Before the first use of the session bus in this process.
        qputenv("DBUS_SESSION_BUS_ADDRESS", adresseBus);
        GestionnaireFichiers gestionnaire;
        QDBusConnection connexion =
            QDBusConnection::connectToBus(QString::fromLatin1(adresseBus), QStringLiteral("gestionnaire"));
        QVERIFY(connexion.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &gestionnaire,
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(connexion.registerService(QStringLiteral("org.freedesktop.FileManager1")));

        ServicesBureau services;
        QObject contexte;
        QList<bool> reponses;
        const QString image = QStringLiteral("file:///photos/%C3%89t%C3%A9/plage%201.jpg");
        services.montrerDansGestionnaire(image, false, &contexte, [&](bool pris) { reponses << pris; });
        QTRY_COMPARE(reponses, QList<bool>{true});
        QCOMPARE(gestionnaire.elements, QStringList{image});

        QVERIFY(connexion.unregisterService(QStringLiteral("org.freedesktop.FileManager1")));
        services.montrerDansGestionnaire(image, false, &contexte, [&](bool pris) { reponses << pris; });
        QTRY_COMPARE(reponses, (QList<bool>{true, false}));
        QDBusConnection::disconnectFromBus(QStringLiteral("gestionnaire"));
        bus.kill();
        bus.waitForFinished();
    }

    void aideSansPageOuvreLeSommaire()
    {
        Environnement e;
        OuvrirAide(e.g, QString());
        OuvrirAide(e.g, "slideshow.htm");
        QCOMPARE(e.services.aides, (QStringList{e.g.FichierAide, e.g.FichierAide + "::/htm/slideshow.htm"}));
        QVERIFY(e.g.FichierAide.endsWith("/Ormelle.chm"));
    }

    // Closing everything goes from the last window opened to the first, whatever order
    // Qt keeps its windows in.
    void fermerToutDuDernierAuPremier()
    {
        Environnement e;
        struct Temoin : QObject {
            QStringList fermees;
            bool eventFilter(QObject* o, QEvent* ev) override
            {
                if (ev->type() == QEvent::Close)
                    fermees << o->objectName();
                return false;
            }
        } temoin;
        std::vector<std::unique_ptr<QWidget>> fenetres;
        for (int i = 0; i < 12; ++i) {
            fenetres.push_back(std::make_unique<QWidget>());
            QWidget* w = fenetres.back().get();
            w->setObjectName(QStringLiteral("fenetre%1").arg(i));
            w->installEventFilter(&temoin);
        }
        // Shown in an order of their own, unlike the order they were made in.
        QStringList attendues;
        for (int i : {7, 2, 11, 0, 5, 9, 1, 3, 10, 4, 8, 6}) {
            fenetres.at(size_t(i))->show();
            attendues.prepend(fenetres.at(size_t(i))->objectName());
        }
        FermerTout();
        QCOMPARE(temoin.fermees, attendues);
        for (const auto& w : fenetres)
            QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestGeneral)
#include "tst_general.moc"
