// The screen-saver hold against a session bus of the test's own, with a scripted
// screen saver that answers when the test says so.
#include "fullscreen/inhibitionecran.h"
#include "commun/connexionsrompues.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QtTest>

namespace {
class EcranDeVeille : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QList<QDBusMessage> demandes; // Inhibit calls not answered yet
    QList<uint> rendus;

public slots:
    uint Inhibit(const QString&, const QString&, const QDBusMessage& message)
    {
        message.setDelayedReply(true);
        demandes << message;
        return 0;
    }
    void UnInhibit(uint cookie) { rendus << cookie; }
};
} // namespace

class TestInhibition : public QObject {
    Q_OBJECT

    QProcess bus_;
    EcranDeVeille ecran_;

    void repondre(uint cookie)
    {
        QDBusConnection connexion(QStringLiteral("ecran"));
        connexion.send(ecran_.demandes.takeFirst().createReply(QVariant::fromValue(cookie)));
    }

private slots:
    void initTestCase()
    {
        bus_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!bus_.waitForStarted(5000))
            QSKIP("dbus-daemon cannot start here");
        QTRY_VERIFY_WITH_TIMEOUT(bus_.canReadLine(), 10000);
        const QByteArray adresse = bus_.readLine().trimmed();
        // Before the first use of the session bus by anyone in this process.
        qputenv("DBUS_SESSION_BUS_ADDRESS", adresse);
        QDBusConnection connexion =
            QDBusConnection::connectToBus(QString::fromLatin1(adresse), QStringLiteral("ecran"));
        QVERIFY(connexion.isConnected());
        QVERIFY(connexion.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        QVERIFY(connexion.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &ecran_,
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("ecran"));
        bus_.kill();
        bus_.waitForFinished();
    }

    void init()
    {
        echouerSurConnexionRompue();
        ecran_.demandes.clear();
        ecran_.rendus.clear();
    }

    void tenueRendueALaFermeture()
    {
        auto* tenue = new InhibitionEcran;
        tenue->activer(QStringLiteral("Diaporama en cours"));
        QVERIFY(tenue->active());
        QTRY_COMPARE(ecran_.demandes.size(), 1);
        repondre(7);
        delete tenue;
        QTRY_COMPARE(ecran_.rendus, QList<uint>{7});
    }

    // The viewer closed before the screen saver answered: the hold granted afterwards
    // is still given back.
    void tenueRendueQuandLaReponseArriveApres()
    {
        auto* tenue = new InhibitionEcran;
        tenue->activer(QStringLiteral("Diaporama en cours"));
        QTRY_COMPARE(ecran_.demandes.size(), 1);
        delete tenue;
        repondre(42);
        QTRY_COMPARE(ecran_.rendus, QList<uint>{42});
    }

    void relacheeAvantLaReponsePuisRendue()
    {
        InhibitionEcran tenue;
        tenue.activer(QStringLiteral("Diaporama en cours"));
        QTRY_COMPARE(ecran_.demandes.size(), 1);
        tenue.liberer();
        QVERIFY(!tenue.active());
        repondre(5);
        QTRY_COMPARE(ecran_.rendus, QList<uint>{5});
    }
};

QTEST_GUILESS_MAIN(TestInhibition)
#include "tst_inhibition.moc"
