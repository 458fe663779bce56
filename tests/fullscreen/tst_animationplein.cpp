// Animated GIFs in the full-screen viewer and in the chooser panel's preview,
// on a scripted clock: the second frame drawn once its delay has passed, at the
// size the first one was fitted to; the slideshow's pause left as it runs; the
// frames stopped when the picture changes or the viewer closes.
#include "bancplein.h"
#include "commun/connexionsrompues.h"
#include "commun/ecrituregif.h"
#include "commun/horlogescriptee.h"
#include "core/animation.h"

namespace {
const QList<ImageGif> RougeVertBleu{{Qt::red, 10}, {Qt::green, 20}, {Qt::blue, 30}};

// The colour drawn at the middle of a picture surface, as the screen shows it.
QColor couleurVue(QWidget* surface)
{
    const QImage vue = surface->grab().toImage();
    return vue.pixelColor(vue.width() / 2, vue.height() / 2);
}
} // namespace

class TestAnimationPlein : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void deuxiemeImageApresSonDelai();
    void apercuDuPanneau();
};

void TestAnimationPlein::deuxiemeImageApresSonDelai()
{
    BancPlein b;
    HorlogeScriptee h;
    b.g.horloge = &h;
    b.g.diaporama.dureePause = 3;
    b.g.diaporama.setAdaptation(ajustement::Proportions);
    QVERIFY(ecrituregif::ecrire(b.chemin("anime.gif"), QSize(1600, 1200), RougeVertBleu, 0));
    BancPlein::image(b.chemin("zfixe.bmp"), QSize(40, 30), Qt::yellow);
    b.ouvrir("anime.gif", OuverturePleinEcran::Diaporama);

    auto* image1 = b.vue->findChild<QWidget*>(QStringLiteral("Image1"));
    QVERIFY(image1 && image1->isVisible());
    const QSize ajustee = b.vue->imageAffichee().size();
    QVERIFY(ajustee.width() <= 800 && ajustee.height() <= 600); // fitted to the screen, not 1600x1200
    QCOMPARE(couleurVue(image1), QColor(Qt::red));
    QVERIFY(b.vue->animation());
    QVERIFY(b.vue->Minuterie1().isActive());

    // The frame is decoded ahead and waits for its time; 99 ms is not yet.
    QTRY_VERIFY(h.enAttente() == 1);
    h.avancer(99);
    QCoreApplication::processEvents();
    QCOMPARE(couleurVue(image1), QColor(Qt::red));
    h.avancer(1);
    QTRY_COMPARE(b.vue->imageAffichee().pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(couleurVue(image1), QColor(Qt::green));
    QCOMPARE(b.vue->imageAffichee().size(), ajustee);
    QTRY_VERIFY(h.enAttente() == 1);
    h.avancer(200);
    QTRY_COMPARE(couleurVue(image1), QColor(Qt::blue));
    // The slideshow's pause runs as it did: the frames neither restart nor stop it.
    QVERIFY(b.vue->Minuterie1().isActive());
    QCOMPARE(b.vue->Minuterie1().interval(), 3000);

    // Another picture: the frames stop and nothing of the GIF comes back.
    b.etape();
    QCOMPARE(b.g.FichierCourant(), b.chemin("zfixe.bmp"));
    QVERIFY(!b.vue->animation());
    h.avancer(5000);
    QCoreApplication::processEvents();
    QCOMPARE(couleurVue(image1), QColor(Qt::yellow));

    // Back to it, then the viewer closes: everything goes with it.
    b.etape();
    QVERIFY(b.vue->animation());
    QCOMPARE(couleurVue(image1), QColor(Qt::red));
    b.vue->hide();
    QVERIFY(!b.vue->animation());
    QTRY_COMPARE(b.g.images.enCours(), 0);
}

void TestAnimationPlein::apercuDuPanneau()
{
    BancPlein b;
    HorlogeScriptee h;
    b.g.horloge = &h;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::white);
    QVERIFY(ecrituregif::ecrire(b.chemin("anime.gif"), QSize(312, 117), RougeVertBleu, 0));
    b.ouvrir("a.bmp");
    QVERIFY(!b.vue->animation()); // a BMP has no frames to play
    b.choisir("mnuChangRep");
    auto* file1 = b.controle<QListWidget>("File1");
    const QList<QListWidgetItem*> lignes = file1->findItems(QStringLiteral("anime.gif"), Qt::MatchExactly);
    QVERIFY(!lignes.isEmpty());
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(lignes.first()).center());
    QTRY_VERIFY_WITH_TIMEOUT(b.panneau()->apercuVisible(), 10000);
    auto* image2 = b.panneau()->findChild<QWidget*>(QStringLiteral("Image2"));
    QVERIFY(image2);
    QCOMPARE(couleurVue(image2), QColor(Qt::red));
    QVERIFY(b.panneau()->animation());
    // Shrunk into the preview box (2340 twips = 156 pixels wide): the frames too.
    QCOMPARE(image2->width(), 156);

    QTRY_VERIFY(h.enAttente() >= 1);
    h.avancer(100);
    QTRY_COMPARE(couleurVue(image2), QColor(Qt::green));
    QCOMPARE(image2->width(), 156);

    // Cancelled: the panel closes and its preview's frames stop.
    b.cliquer("CmdAnnul");
    QVERIFY(!b.panneau()->animation());
}

QTEST_MAIN(TestAnimationPlein)
#include "tst_animationplein.moc"
