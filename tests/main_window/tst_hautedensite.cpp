// The main window on a screen of ratio 2: the preview and the thumbnails reach the
// screen at its own pixels, untouched; icons are drawn at that ratio; the backdrop's
// gradient has bands on single device rows; moving to a screen of ratio 1 decodes
// again for it.
#include "bancfenprin.h"
#include "commun/connexionsrompues.h"
#include "commun/ecranshd.h"

#include "app/skin.h"
#include "colours/fenfond.h"
#include "main_window/affichageimage.h"
#include "main_window/miniatures.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>

namespace {
// A metafile of 192 x 96 pixels (two inches by one), filled with one red rectangle.
QByteArray metafichier()
{
    QByteArray o;
    const auto mot = [&o](int v) { o.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    int somme = 0;
    for (int v : {0xCDD7, 0x9AC6, 0, 0, 0, 192, 96, 96, 0, 0}) {
        mot(v);
        somme ^= v;
    }
    mot(somme);
    const QList<QList<int>> enregistrements{{0x02FC, 0, 0x00FF, 0, 0}, {0x012D, 0}, {0x041B, 96, 192, 0, 0}, {0x0000}};
    int taille = 9;
    for (const QList<int>& e : enregistrements)
        taille += 3 + int(e.size()) - 1;
    for (int v : {1, 9, 0x0300, taille & 0xFFFF, taille >> 16, 1, 7, 0, 0})
        mot(v);
    for (const QList<int>& e : enregistrements) {
        mot(3 + int(e.size()) - 1);
        mot(0);
        for (int v : e)
            mot(v);
    }
    return o;
}

// Pairs of neighbouring device pixels inside the same 2 × 2 block that differ by more
// than a quarter of the range: edges only a drawing at twice the pixels has. A picture
// made at logical size and enlarged has none (uniform blocks) or blurs them below that.
int bordsDansBlocs(const QImage& vu)
{
    const QImage i = vu.convertToFormat(QImage::Format_RGB32);
    const auto ecart = [](QRgb a, QRgb b) {
        return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
    };
    int n = 0;
    for (int y = 0; y + 1 < i.height(); y += 2)
        for (int x = 0; x + 1 < i.width(); x += 2)
            n += (ecart(i.pixel(x, y), i.pixel(x + 1, y)) > 64) + (ecart(i.pixel(x, y), i.pixel(x, y + 1)) > 64);
    return n;
}
} // namespace

class TestHauteDensite : public QObject {
    Q_OBJECT
    std::unique_ptr<BancFenPrin> b_;
    QTemporaryDir donnees_;
    QString d_;

    General& g() { return *b_->g; }
    Miniatures& m() { return *b_->fen->miniatures(); }
    AffichageImage* image1() { return b_->controle<AffichageImage>("Image1"); }

    void ouvrir(const QString& argument)
    {
        b_->charger(argument);
        b_->fen->show();
        QVERIFY(QTest::qWaitForWindowExposed(b_->fen.get()));
        QCOMPARE(b_->fen->devicePixelRatioF(), 2.0);
    }
    void entrerMiniatures()
    {
        QTest::mouseClick(b_->controle<BoutonSkin>("CmdMiniatures"), Qt::LeftButton);
        QVERIFY(m().FondMiniatures->isVisible());
        QTest::mousePress(b_->controle<QListWidget>("Dir1")->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(m().pageComplete() && m().pages().NbMiniatures() > 0);
    }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(donnees_.filePath(QStringLiteral("share")))); }
    void init()
    {
        echouerSurConnexionRompue();
        b_ = std::make_unique<BancFenPrin>();
        d_ = b_->dossier.filePath(QStringLiteral("images"));
        QVERIFY(QDir().mkpath(d_));
    }
    void cleanup() { b_.reset(); }

    // 897 × 674 pixels fit the 449 × 337 box at half size: 448.5 logical pixels wide,
    // every one of its pixels on one of the screen's.
    void apercuAuxPixelsDeLEcran()
    {
        const QImage source = hd::damier(QSize(897, 674));
        QVERIFY(source.save(d_ + QStringLiteral("/damier.bmp"), "BMP"));
        ouvrir(d_ + QStringLiteral("/damier.bmp"));
        QTRY_VERIFY(image1()->isVisible());
        QCOMPARE(image1()->image().devicePixelRatio(), 2.0);
        QCOMPARE(image1()->image().size(), source.size());
        const QImage vu = b_->fen->grab(image1()->geometry()).toImage();
        QCOMPARE(hd::differences(vu, QPoint(0, 0), source), 0);

        // On a screen of ratio 1 the same picture is decoded again, at half the pixels.
        hd::deplacerVers(b_->fen.get(), "B");
        QTRY_VERIFY(!image1()->image().isNull() && image1()->image().devicePixelRatio() == 1.0);
        QVERIFY(qAbs(image1()->image().width() - 449) <= 1);
        QCOMPARE(image1()->image().height(), 337);
        QCOMPARE(image1()->geometry().size(), QSize(449, 337));
    }

    // A 255 × 192 picture fits a 128 × 96 cell at half size; a metafile shown at its own
    // size renders at twice its pixels instead of being enlarged.
    void miniaturesAuxPixelsDeLEcran()
    {
        const QImage source = hd::damier(QSize(255, 192));
        QVERIFY(source.save(d_ + QStringLiteral("/damier.bmp"), "BMP"));
        ouvrir(d_);
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(1));
        entrerMiniatures();
        CelluleMiniature* c = m().Image2[4];
        QVERIFY(c->aImage());
        QCOMPARE(c->image().devicePixelRatio(), 2.0);
        QCOMPARE(c->image().size(), source.size());
        // Inside the one-pixel frame drawn over its edge.
        QCOMPARE(hd::differences(c->grab().toImage(), QPoint(0, 0), source, 3), 0);

        // Another ratio: the page is decoded again for it.
        hd::deplacerVers(b_->fen.get(), "B");
        QTRY_VERIFY(m().Image2[4]->aImage() && m().Image2[4]->image().devicePixelRatio() == 1.0);
        QVERIFY(qAbs(m().Image2[4]->image().width() - 128) <= 1);
        QCOMPARE(m().Image2[4]->image().height(), 96);
    }

    void metafichierAuxPixelsDeLEcran()
    {
        QFile f(d_ + QStringLiteral("/dessin.wmf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(metafichier());
        f.close();
        ouvrir(d_);
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(1));
        g().modele.setMotif(QStringLiteral("*.wmf"));
        entrerMiniatures();
        const CelluleMiniature* c = m().Image2[4];
        QVERIFY(c->aImage());
        QCOMPARE(c->image().size(), QSize(384, 192));
        QCOMPARE(c->image().devicePixelRatio(), 2.0);
        QCOMPARE(c->rectangleImage(), QRect(0, 0, 128, 96));
    }

    // The icons come from their drawings at the screen's ratio, not from small
    // pictures enlarged: the message icon holds twice the pixels, and the icon bar's
    // buttons show edges a single device pixel wide.
    void iconesAuRatioDeLEcran()
    {
        ouvrir(d_);
        auto* icone = b_->controle<QLabel>("IcoFondMessage");
        QVERIFY(icone);
        const QPixmap p = icone->pixmap();
        QCOMPARE(p.devicePixelRatio(), 2.0);
        QCOMPARE(p.size(), icone->size() * 2);

        for (const char* nom : {"CmdExplorer", "CmdFond", "CmdMusique", "CmdPaint", "CmdMiniatures", "CmdDorvik",
                                "CmdApropos", "CmdAide"}) {
            auto* bouton = b_->controle<BoutonSkin>(nom);
            QVERIFY2(bouton && !bouton->icon().isNull() && bouton->isEnabled(), nom);
            const QImage vu = bouton->grab().toImage();
            QCOMPARE(vu.size(), bouton->size() * 2);
            const int bords = bordsDansBlocs(vu);
            QVERIFY2(bords >= 20, qPrintable(QStringLiteral("%1 : %2").arg(QLatin1String(nom)).arg(bords)));
        }
    }

    // The backdrop's bands fall on the screen's own rows: on a 2× screen some start on
    // an odd row, which a canvas kept at logical pixels (2 × 2 blocks) never does.
    void degradeAuxPixelsDeLEcran()
    {
        FenFond fond(g(), nullptr);
        fond.setGeometry(QRect(QPoint(0, 0), QSize(300, 401)));
        fond.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fond));
        QCOMPARE(fond.devicePixelRatioF(), 2.0);
        QTest::mousePress(&fond, Qt::LeftButton, {}, QPoint(10, 0));
        const QImage vu = fond.grab().toImage();
        QCOMPARE(vu.height(), 802);
        int bordsImpairs = 0, bords = 0;
        for (int y = 1; y < vu.height(); ++y)
            if (vu.pixel(150, y) != vu.pixel(150, y - 1)) {
                ++bords;
                bordsImpairs += y % 2;
            }
        QVERIFY2(bords > 200, qPrintable(QString::number(bords)));
        QVERIFY2(bordsImpairs > bords / 4, qPrintable(QStringLiteral("%1 / %2").arg(bordsImpairs).arg(bords)));

        // On a 1× screen the gradient painted stays, at the new pixels.
        const QColor milieu = vu.pixelColor(150, 400);
        hd::deplacerVers(&fond, "B");
        QTRY_COMPARE(fond.dessin().devicePixelRatio(), 1.0);
        QCOMPARE(fond.dessin().size(), QSize(300, 401));
        const QColor apres = fond.grab().toImage().pixelColor(150, 200);
        QVERIFY2(qAbs(apres.blue() - milieu.blue()) <= 2,
                 qPrintable(QStringLiteral("%1 / %2").arg(apres.name(), milieu.name())));
    }

    // At a scale of 1.5 the edge between Forme1 and Forme2 (209 logical pixels down)
    // falls inside a device row: both bands cover it, no seam of the window shows.
    void bandesSansJointAUneEchelleFractionnaire()
    {
        ouvrir(d_);
        QImage vu(b_->fen->size() * 3 / 2, QImage::Format_RGB32);
        vu.setDevicePixelRatio(1.5);
        vu.fill(Qt::red);
        b_->fen->render(&vu);
        const QWidget* forme1 = b_->controle<QWidget>("Forme1");
        const int x = forme1->geometry().center().x() * 3 / 2;
        const int joint = (forme1->geometry().bottom() + 1) * 3 / 2;
        for (int y = joint - 1; y <= joint + 1; ++y) {
            const QColor c = vu.pixelColor(x, y), avant = vu.pixelColor(x, y - 1);
            QVERIFY2(qAbs(c.red() - avant.red()) + qAbs(c.green() - avant.green()) + qAbs(c.blue() - avant.blue())
                         <= 12,
                     qPrintable(QStringLiteral("row %1: %2 after %3").arg(y).arg(c.name(), avant.name())));
        }
    }
};

QTEST_MAIN_HD(TestHauteDensite)
#include "tst_hautedensite.moc"
