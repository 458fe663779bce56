// A metafile copied to the clipboard from the main window goes there as the
// picture it draws, at its natural size.
#include "app/skin.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"
#include "main_window/fenprin.h"
#include "outilstest.h"

#include <QDialog>
#include <QtTest>

using namespace wmftest;

class TestPressePapiers : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void metafichierCopieCommeSonDessin()
    {
        Environnement env;
        const QString dossier = env.dossier.filePath(QStringLiteral("images"));
        QVERIFY(QDir().mkpath(dossier));
        EcrivainWmf e = feuille(); // one inch square
        e.plume(5, 0, Qt::black).selectionner(0);
        e.brosse(0, Qt::blue).selectionner(1).rectangle(QRect(0, 0, 500, 1000));
        e.brosse(0, Qt::red).selectionner(2).rectangle(QRect(500, 0, 500, 1000)).fin();
        QFile f(dossier + QStringLiteral("/dessin.wmf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(e.octets());
        f.close();

        FenPrin fen(env.g, [](QDialog&) {});
        fen.charger(nullptr, dossier);
        fen.show();
        QTRY_COMPARE(env.g.modele.fichiers().size(), qsizetype(1));
        env.g.modele.selectionner(0);
        auto* bouton = fen.findChild<BoutonSkin*>(QStringLiteral("CmdCopImg"));
        QTRY_VERIFY(bouton->isEnabled());
        env.services.sons.clear();
        QTest::mouseClick(bouton, Qt::LeftButton);
        QTRY_COMPARE(env.services.images.size(), 2);
        const QImage image = env.services.images.at(1);
        QCOMPARE(image.size(), QSize(96, 96));
        QCOMPARE(image.pixel(20, 48), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(76, 48), qRgb(255, 0, 0));
        QCOMPARE(env.services.sons, QList<int>{19});
    }
};

QTEST_MAIN(TestPressePapiers)
#include "tst_pressepapiers.moc"
