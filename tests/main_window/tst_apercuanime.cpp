// An animated GIF in the main window's preview, on a scripted clock: its frames
// drawn in turn at their delays, at the preview's size; another picture, the
// thumbnail page or the full-screen view stopping them.
#include "app/twips.h"
#include "commun/connexionsrompues.h"
#include "commun/ecrituregif.h"
#include "commun/environnement.h"
#include "commun/horlogescriptee.h"
#include "core/animation.h"
#include "main_window/navigateur.h"

#include <QListView>
#include <QtTest>

namespace {
const QList<ImageGif> RougeVertBleu{{Qt::red, 10}, {Qt::green, 20}, {Qt::blue, 30}};

struct Banc : Environnement {
    QWidget fenetre;
    HorlogeScriptee horloge;
    std::unique_ptr<Navigateur> nav;
    Banc()
    {
        g.horloge = &horloge;
        fenetre.resize(twips::taille(10455, 6945));
        nav = std::make_unique<Navigateur>(g, &fenetre);
    }
    QWidget* image1() { return fenetre.findChild<QWidget*>(QStringLiteral("Image1")); }
    QColor vue()
    {
        const QImage i = image1()->grab().toImage();
        return i.pixelColor(i.width() / 2, i.height() / 2);
    }
};
} // namespace

class TestApercuAnime : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void lesImagesSeSuivent();
};

void TestApercuAnime::lesImagesSeSuivent()
{
    Banc b;
    QTemporaryDir photos;
    const QString gif = photos.filePath(QStringLiteral("anime.gif"));
    QVERIFY(ecrituregif::ecrire(gif, QSize(1000, 750), RougeVertBleu, 0));
    QImage fixe(40, 30, QImage::Format_RGB32);
    fixe.fill(Qt::yellow);
    QVERIFY(fixe.save(photos.filePath(QStringLiteral("fixe.bmp")), "BMP"));
    b.fenetre.show();

    QVERIFY(b.nav->ouvrirFichier(gif));
    QTRY_VERIFY_WITH_TIMEOUT(!b.nav->chargementEnCours() && b.image1()->isVisible(), 10000);
    QCOMPARE(b.vue(), QColor(Qt::red));
    // Fitted into the preview box (6735 x 5055 twips: 449 x 337 pixels), and so are the frames.
    const QSize apercu = b.nav->imageCourante().size();
    QCOMPARE(apercu, QSize(449, 337));
    QVERIFY(b.nav->animation());

    QTRY_VERIFY(b.horloge.enAttente() == 1);
    b.horloge.avancer(100);
    QTRY_COMPARE(b.vue(), QColor(Qt::green));
    QCOMPARE(b.nav->imageCourante().size(), apercu);
    QTRY_VERIFY(b.horloge.enAttente() == 1);
    b.horloge.avancer(200);
    QTRY_COMPARE(b.vue(), QColor(Qt::blue));

    // The thumbnail page covers the preview: no frame is drawn beneath it; back
    // from it, the GIF plays again from its first frame.
    b.nav->setModeMiniatures(true);
    QVERIFY(!b.nav->animation());
    b.nav->setModeMiniatures(false);
    QVERIFY(b.nav->animation());
    QCOMPARE(b.vue(), QColor(Qt::red));

    // Another picture selected: the frames stop.
    QVERIFY(b.nav->ouvrirFichier(photos.filePath(QStringLiteral("fixe.bmp"))));
    QTRY_COMPARE_WITH_TIMEOUT(b.vue(), QColor(Qt::yellow), 10000);
    QVERIFY(!b.nav->animation());
    b.horloge.avancer(10'000);
    QCoreApplication::processEvents();
    QCOMPARE(b.vue(), QColor(Qt::yellow));
    QTRY_COMPARE(b.g.images.enCours(), 0);
}

QTEST_MAIN(TestApercuAnime)
#include "tst_apercuanime.moc"
