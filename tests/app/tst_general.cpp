#include "commun/environnement.h"

#include <QWidget>
#include <QtTest>

#include <memory>
#include <vector>

class TestGeneral : public QObject {
    Q_OBJECT

private slots:
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
        int icone = -1;
        e.services.surBoite = [&](General& g, const QString&, const QString&) {
            icone = g.IconeMessage;
            return reponse;
        };
        AfficherPressePapiers(e.g);
        QCOMPARE(icone, 3); // information: the box plays cue 22
        QCOMPARE(e.services.boites.size(), 1);
        QCOMPARE(e.services.boites[0].first, "Presse-papiers");
        QCOMPARE(e.services.boites[0].second,
                 "Vous n'avez pas installé le presse-papiers. Il n'est pas vraiment nécessaire mais vous permet de "
                 "visionner ce qui a été copié.\nSi vous ne savez pas comment l'installer, reportez-vous à la "
                 "rubrique d'aide :");
        QCOMPARE(e.g.ReponseMessage, reponse);
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
