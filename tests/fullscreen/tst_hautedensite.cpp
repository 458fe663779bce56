// The full-screen viewer on a screen of ratio 2: the picture is decoded at the
// screen's pixels and reaches it untouched, and a move to a screen of ratio 1
// decodes it again there, in place.
#include "bancplein.h"
#include "commun/connexionsrompues.h"
#include "commun/ecranshd.h"

#include "fullscreen/surfaces.h"

class TestHauteDensitePleinEcran : public QObject {
    Q_OBJECT
    std::unique_ptr<BancPlein> b_;

    ZoneImage* image1() const { return b_->vue->findChild<ZoneImage*>(QStringLiteral("Image1")); }

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        b_ = std::make_unique<BancPlein>();
        b_->g.diaporama.effetTransition = false;
        b_->g.diaporama.setAdaptation(ajustement::Proportions); // keeping its proportions, to two opposite edges
        b_->g.CouleurFond = QColor(40, 90, 160);
    }
    void cleanup() { b_.reset(); }

    // 1599 × 1200 pixels on an 800 × 600 screen: half size, 799.5 logical pixels wide,
    // which is the picture's own pixels on the 2× screen.
    void imageAuxPixelsDeLEcran()
    {
        const QImage source = hd::damier(QSize(1599, 1200));
        QVERIFY(source.save(b_->chemin(QStringLiteral("damier.bmp")), "BMP"));
        b_->ouvrir(QStringLiteral("damier.bmp"));
        QCOMPARE(b_->vue->devicePixelRatioF(), 2.0);
        QVERIFY(image1()->isVisible());
        QCOMPARE(image1()->image().devicePixelRatio(), 2.0);
        QCOMPARE(image1()->image().size(), source.size());
        const QImage vu = b_->vue->grab().toImage();
        QCOMPARE(vu.size(), QSize(1600, 1200));
        QCOMPARE(hd::differences(vu, image1()->geometry().topLeft() * 2, source), 0);
        // The half logical pixel the picture leaves is the background, not a stretched column.
        QCOMPARE(vu.pixelColor(1599, 600), b_->g.CouleurFond);
    }

    void autreRatioDecodeDeNouveau()
    {
        BancPlein::image(b_->chemin(QStringLiteral("a.bmp")), QSize(400, 300), Qt::darkRed);
        b_->ouvrir(QStringLiteral("a.bmp"));
        QCOMPARE(image1()->image().size(), QSize(1600, 1200));
        QSignalSpy montree(b_->vue.get(), &PleinEcran::imageMontree);
        b_->g.DiaporamaEnCours = false;

        hd::deplacerVers(b_->vue.get(), "B");
        QTRY_VERIFY(!image1()->image().isNull() && image1()->image().devicePixelRatio() == 1.0);
        QCOMPARE(image1()->image().size(), QSize(800, 600));
        QCOMPARE(image1()->geometry(), QRect(0, 0, 800, 600));
        QVERIFY(image1()->isVisible());
        QCOMPARE(b_->vue->grab().toImage().pixelColor(400, 300), QColor(Qt::darkRed));
        // Swapped in place: no new display, so no transition and no new pause.
        QCOMPARE(montree.count(), 0);
    }
};

QTEST_MAIN_HD(TestHauteDensitePleinEcran)
#include "tst_hautedensite.moc"
