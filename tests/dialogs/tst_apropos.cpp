// The about window: the rising text, its pause on click, and its jump back to the start.
#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"
#include "dialogs/apropos.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
// Rows of the viewport (from `debut` down) holding anything but the background.
bool encre(QWidget* vue, const QColor& fond, int debut)
{
    const QImage image = vue->grab().toImage();
    for (int y = debut; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != fond)
                return true;
    return false;
}
} // namespace

class TestApropos : public QObject {
    Q_OBJECT

    std::unique_ptr<Environnement> e_;

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        e_ = std::make_unique<Environnement>();
    }

    void fenetreEtTexte()
    {
        Apropos a(e_->g);
        QCOMPARE(a.size(), QSize(356, 237));
        QVERIFY(a.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(a.findChild<BoutonSkin*>("CmdDeplaceFen")->text(), "A propos d'Ormelle");
        QCOMPARE(a.minuterie()->interval(), 50);
        QVERIFY(a.minuterie()->isActive());
        const QStringList lignes = Apropos::lignesTexte();
        QCOMPARE(lignes.size(), 20);
        QCOMPARE(lignes.at(0), "      Ormelle");
        QCOMPARE(lignes.at(3).trimmed(), "pour Linux");
        QCOMPARE(lignes.at(9), "         Version 4.11 - Octobre 2002");
        for (int i : {1, 4, 8, 10, 13, 15, 16})
            QVERIFY2(lignes.at(i).isEmpty(), qPrintable(QString::number(i)));
        for (int i : {11, 12, 14, 17, 18, 19})
            QVERIFY2(!lignes.at(i).trimmed().isEmpty(), qPrintable(QString::number(i)));
    }

    void hauteurDeLaToile()
    {
        Apropos a(e_->g);
        QFont f(QStringLiteral("Verdana"), 10);
        f.setBold(true);
        QCOMPARE(a.toile()->height(), 42 * QFontMetrics(f).height() + 2 * a.vue()->height());
        QCOMPARE(a.toile()->width(), a.vue()->width());
        // The twenty lines fit on the canvas below their one-viewport start.
        QVERIFY(a.toile()->height() > a.vue()->height() + 14 * QFontMetrics(f).height()
                                          + 6 * QFontMetrics(QFont("Verdana", 18, QFont::Bold)).height());
    }

    void leTexteEntreParLeBas()
    {
        Apropos a(e_->g);
        a.minuterie()->stop(); // ticks by hand, one at a time
        a.show();
        const QColor fond = e_->g.couleur(Role::Visualisation);
        // Empty at first, but for the icon in the canvas's corner.
        QVERIFY(!encre(a.vue(), fond, 34));
        int ticks = 0;
        while (!encre(a.vue(), fond, 34) && ticks < 40) {
            a.defiler();
            ++ticks;
        }
        QVERIFY2(ticks > 1 && ticks <= 15, qPrintable(QString::number(ticks)));
        // It appeared at the bottom edge, nowhere above.
        QVERIFY(encre(a.vue(), fond, a.vue()->height() - 12));
    }

    void laMinuterieFaitMonterLeTexte()
    {
        Apropos a(e_->g);
        a.show();
        QSignalSpy ticks(a.minuterie(), &QTimer::timeout);
        QTRY_VERIFY(ticks.count() >= 3);
        QCOMPARE(a.DecalageDefilement(), -ticks.count());
        QCOMPARE(a.toile()->y(), -(ticks.count() - 1));
    }

    void clicPauseEtReprise()
    {
        Apropos a(e_->g);
        a.show();
        for (int i = 0; i < 5; ++i)
            a.defiler();
        const QPoint dansLaVue(40, 40);
        QTest::mouseClick(a.toile(), Qt::LeftButton, {}, dansLaVue - a.toile()->pos());
        QVERIFY(!a.minuterie()->isActive());
        QCOMPARE(a.DecalageDefilement(), -5);
        QTest::mouseClick(a.toile(), Qt::LeftButton, {}, dansLaVue - a.toile()->pos());
        QVERIFY(a.minuterie()->isActive());
        QCOMPARE(a.DecalageDefilement(), -5); // resumes where it stood
    }

    void retourAuDebut()
    {
        Apropos a(e_->g);
        a.minuterie()->stop();
        const double limite = -0.528 * a.toile()->height();
        int precedent = 0;
        int ticks = 0;
        a.defiler();
        while (a.toile()->y() != 0 || ticks == 0) {
            precedent = a.toile()->y();
            a.defiler();
            QVERIFY(++ticks < 10000);
        }
        // The last position shown was the last one not below the limit; the next tick starts over.
        QVERIFY2(precedent >= limite && precedent - 1 < limite,
                 qPrintable(QStringLiteral("%1 / %2").arg(precedent).arg(limite)));
        QCOMPARE(a.DecalageDefilement(), -1);
    }

    void siteEtFermeture()
    {
        Apropos a(e_->g);
        a.show();
        auto* site = a.findChild<BoutonSkin*>("CmdSite");
        QVERIFY(site->text().startsWith("Visitez notre site : "));
        QTest::mouseClick(site, Qt::LeftButton);
        QCOMPARE(e_->services.urls, QList<QUrl>{Apropos::AdresseSite});
        QTest::mouseClick(a.findChild<BoutonSkin*>("CmdFermer"), Qt::LeftButton);
        QVERIFY(!a.isVisible());
    }
};

QTEST_MAIN(TestApropos)
#include "tst_apropos.moc"
