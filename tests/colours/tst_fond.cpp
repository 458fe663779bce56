#include "app/general.h"
#include "core/reglages.h"
#include "app/skin.h"
#include "colours/fencolors.h"
#include "colours/fenfond.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
using Banc = Environnement;

QScrollBar* glissiere(QWidget& d, int k)
{
    return d.findChild<QScrollBar*>(QStringLiteral("VSlide%1").arg(k));
}

// The colour actually on screen in the middle of a control, not the one it was told.
QColor peinte(QWidget& d, const char* nom)
{
    QWidget* w = d.findChild<QWidget*>(QString::fromLatin1(nom));
    if (!w)
        qFatal("control %s missing", nom);
    const QImage im = w->grab().toImage();
    return im.pixelColor(im.width() / 2, im.height() / 2);
}

QColor peinte(FenFond& f, int y)
{
    return f.grab().toImage().pixelColor(f.width() / 2, y);
}
} // namespace

class TestFond : public QObject {
    Q_OBJECT

    std::unique_ptr<Banc> b;

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        b = std::make_unique<Banc>();
    }
    void cleanup() { b.reset(); }

    // ---------------------------------------------------------------- FenColors

    void premiereOuvertureNoire()
    {
        FenFond fond(b->g, nullptr);
        FenColors d(b->g, nullptr, &fond);
        d.show();
        QCOMPARE(d.size(), QSize(364, 246));
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(glissiere(d, k)->value(), 255);
            QCOMPARE(glissiere(d, k)->maximum(), 255);
        }
        for (const char* image : {"Image1", "Image2", "Image3", "Image4"})
            QCOMPARE(peinte(d, image), QColor(Qt::black));
        QTest::mouseClick(d.findChild<QWidget*>(QStringLiteral("CmdOK")), Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(b->g.fond.couleur, QColor(Qt::black));
        QCOMPARE(fond.couleur(), QColor(Qt::black));
    }

    void rougeEnHaut()
    {
        FenColors d(b->g, nullptr);
        d.show();
        glissiere(d, 1)->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(b->g.fond.positions[0], 0); // written as the slider moves
        QCOMPARE(peinte(d, "Image1"), QColor(255, 0, 0));
        QCOMPARE(peinte(d, "Image4"), QColor(255, 0, 0));
        QCOMPARE(peinte(d, "Image2"), QColor(Qt::black));

        // Each part shows its own colour alone; the mix combines them.
        glissiere(d, 3)->setValue(55);
        QCOMPARE(peinte(d, "Image3"), QColor(0, 0, 200));
        QCOMPARE(peinte(d, "Image4"), QColor(255, 0, 200));
    }

    void rouvertureRepartDesPositions()
    {
        // A slider left at its first value sends no change: the areas must be painted anyway.
        b->g.fond.positions[0] = 0;
        b->g.fond.positions[1] = 127;
        FenColors d(b->g, nullptr);
        d.show();
        QCOMPARE(glissiere(d, 1)->value(), 0);
        QCOMPARE(peinte(d, "Image1"), QColor(255, 0, 0));
        QCOMPARE(peinte(d, "Image2"), QColor(0, 128, 0));
        QCOMPARE(peinte(d, "Image4"), QColor(255, 128, 0));
    }

    void okAppliqueAuFond_data()
    {
        QTest::addColumn<bool>("avecFond");
        QTest::newRow("fond chargé") << true;
        QTest::newRow("fond pas encore chargé") << false;
    }
    void okAppliqueAuFond()
    {
        QFETCH(bool, avecFond);
        std::unique_ptr<FenFond> fond;
        if (avecFond) {
            fond = std::make_unique<FenFond>(b->g, nullptr);
            fond->show();
        }
        FenColors d(b->g, nullptr, fond.get());
        d.show();
        glissiere(d, 1)->setValue(0);
        glissiere(d, 2)->setValue(127);
        QTest::mouseClick(d.findChild<QWidget*>(QStringLiteral("CmdOK")), Qt::LeftButton);
        QCOMPARE(b->g.fond.couleur, QColor(255, 128, 0));
        QCOMPARE(b->g.fond.positions[0], 0);
        QCOMPARE(b->g.fond.positions[1], 127);
        QCOMPARE(b->g.fond.positions[2], 255);
        if (!fond)
            fond = std::make_unique<FenFond>(b->g, nullptr); // takes the colour when it is created
        QCOMPARE(peinte(*fond, fond->height() / 2), QColor(255, 128, 0));
    }

    void annulerLaisseToutCommeAvant()
    {
        b->g.fond.couleur = QColor(0, 0, 90);
        b->g.fond.positions[2] = 165;
        FenFond fond(b->g, nullptr);
        FenColors d(b->g, nullptr, &fond);
        d.show();
        glissiere(d, 1)->setValue(10);
        glissiere(d, 3)->setValue(0);
        QTest::mouseClick(d.findChild<QWidget*>(QStringLiteral("CmdAnnul")), Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(b->g.fond.couleur, QColor(0, 0, 90));
        QCOMPARE(fond.couleur(), QColor(0, 0, 90));
        QCOMPARE(b->g.fond.positions[0], 255);
        QCOMPARE(b->g.fond.positions[1], 255);
        QCOMPARE(b->g.fond.positions[2], 165);
    }

    void clicDroitSurOKOuvreLAide()
    {
        FenColors d(b->g, nullptr);
        d.show();
        QWidget* ok = d.findChild<QWidget*>(QStringLiteral("CmdOK"));
        QTest::mouseClick(ok, Qt::RightButton);
        QCOMPARE(b->services.aides.size(), 1);
        QVERIFY(b->services.aides.first().endsWith(QStringLiteral("Ormelle.chm::/htm/couleur_du_fond.htm")));
        QVERIFY(d.isVisible());
        QTest::mouseClick(ok, Qt::MiddleButton);
        QCOMPARE(b->services.aides.size(), 1);
        QVERIFY(d.isVisible());
    }

    // ---------------------------------------------------------------- FenFond

    void fondCouvreLEcranSansBord()
    {
        b->g.fond.couleur = QColor(12, 34, 56);
        QWidget principale;
        principale.show();
        FenFond fond(b->g, &principale);
        QCOMPARE(fond.geometry(), principale.screen()->geometry());
        QVERIFY(fond.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(fond.windowTitle(), QStringLiteral("Fond"));
        fond.show();
        QCOMPARE(peinte(fond, 10), QColor(12, 34, 56));
    }

    void appuiDessineLesBandes_data()
    {
        QTest::addColumn<int>("bouton");
        QTest::addColumn<int>("rouge");
        QTest::addColumn<int>("vert");
        QTest::newRow("gauche: RGB(r, g, i)") << int(Qt::LeftButton) << 200 << 100;
        QTest::newRow("droit: RGB(g, b, i)") << int(Qt::RightButton) << 100 << 50;
    }
    void appuiDessineLesBandes()
    {
        QFETCH(int, bouton);
        QFETCH(int, rouge);
        QFETCH(int, vert);
        b->g.fond.couleur = QColor(200, 100, 50);
        FenFond fond(b->g, nullptr);
        fond.show();
        const int y = fond.height() / 4;
        QTest::mousePress(&fond, Qt::MouseButton(bouton), {}, QPoint(20, y));
        QTest::mouseRelease(&fond, Qt::MouseButton(bouton), {}, QPoint(20, y));

        // 256 bands of 1/256 of the height each, the first at the pressed row.
        const double bande = fond.height() / 256.0;
        QCOMPARE(peinte(fond, y - 1), QColor(200, 100, 50));
        QCOMPARE(peinte(fond, y), QColor(rouge, vert, 0));
        for (int i : {1, 64, 150}) {
            const int ligne = qRound(y + (i + 0.5) * bande);
            QCOMPARE(peinte(fond, ligne), QColor(rouge, vert, i));
        }
        // The drawing stays: a repaint shows it again; a new colour wipes it.
        fond.repaint();
        QCOMPARE(peinte(fond, y), QColor(rouge, vert, 0));
        fond.setCouleur(QColor(1, 2, 3));
        QCOMPARE(peinte(fond, y), QColor(1, 2, 3));
    }

    void appuiRameneLaFenetrePrincipale()
    {
        QWidget principale;
        principale.show();
        FenFond fond(b->g, &principale);
        fond.show();
        fond.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &fond);
        QTest::mousePress(&fond, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE(QApplication::activeWindow(), &principale);
    }
};

QTEST_MAIN(TestFond)
#include "tst_fond.moc"
