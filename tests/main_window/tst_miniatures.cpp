// The thumbnail page driven as a user does: the grid around the position, paging
// with both buttons, clicks on cells, the switch to the centred view and back, and
// where each cell and button stands.
#include "bancminiatures.h"

#include "main_window/navigateur.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>

class TestMiniatures : public QObject, BancMiniatures {
    Q_OBJECT

private slots:
    void init() { preparer(); }
    void cleanup() { b_.reset(); }

    // Another program copies a picture in and retouches one in place (same size,
    // same second): the list, the grid and the cell follow without being asked.
    void suitLesAutresProgrammes()
    {
        entrer();
        QCOMPARE(QProcess::execute(QStringLiteral("cp"), {chemin(2), chemin(11)}), 0);
        QTRY_COMPARE(m().pages().NbMiniatures(), 11);
        QCOMPARE(b_->controle<QListView>("File1")->model()->rowCount(), 11);
        QImage retouche(64, 48, QImage::Format_RGB32);
        retouche.fill(couleur(7));
        QByteArray octets;
        QBuffer tampon(&octets);
        QVERIFY(tampon.open(QIODevice::WriteOnly) && retouche.save(&tampon, "BMP"));
        QFile f(chemin(1));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QCOMPARE(f.size(), octets.size());
        struct stat avant;
        QCOMPARE(::fstat(f.handle(), &avant), 0);
        QCOMPARE(f.write(octets), octets.size());
        QVERIFY(f.flush());
        const timespec temps[2] = {{0, UTIME_OMIT}, {avant.st_mtim.tv_sec, 0}};
        QCOMPARE(::futimens(f.handle(), temps), 0);
        f.close();
        QTRY_COMPARE(grille().at(PagesMiniatures::Milieu), 7);
    }

    void entreeSansListePuisDossier()
    {
        auto* forme3 = b_->controle<BoutonSkin>("Forme3");
        presser(b_->controle<BoutonSkin>("CmdMiniatures"));
        QVERIFY(!b_->controle<QListView>("File1")->isEnabled());
        QVERIFY(b_->controle<QWidget>("CacheIcones")->isVisible());
        QCOMPARE(forme3->text(), QString());
        QCOMPARE(m().CmdVTypExt->text(), QStringLiteral("*.*"));
        QCOMPARE(grille(), QList<int>(9, 0)); // nothing at the first entry
        auto* dir1 = b_->controle<QListWidget>("Dir1");
        QTest::mousePress(dir1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(m().pageComplete() && m().pages().NbMiniatures() == 10);
        QCOMPARE(grille(), (QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 5}));
        // The listing's own case: Linux names are case-sensitive.
        QCOMPARE(m().centree(), chemin(1));
        QCOMPARE(forme3->text(), QStringLiteral("          IMG_0001"));
        QCOMPARE(s().sabliers, 0);
    }

    void pagesAvecLesDeuxBoutons()
    {
        entrer();
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(m().pages().ImageCentree(), qint64(10));
        QCOMPARE(grille(), (QList<int>{6, 7, 8, 9, 10, 0, 0, 0, 0}));
        presser(m().CmdVHaut);
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(grille(), (QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 5}));
        presser(m().CmdVBas, Qt::RightButton);
        QCOMPARE(m().pages().ImageCentree(), qint64(10));
        presser(m().CmdVHaut, Qt::RightButton);
        QCOMPARE(m().pages().ImageCentree(), qint64(1));
    }

    // A click in the grid gives the page the keys; keys and wheel turn it as the two buttons do.
    void pagesAuClavierEtALaMolette_data()
    {
        QTest::addColumn<bool>("depuisLaFin");
        QTest::addColumn<QStringList>("gestes"); // keys, or turns of the wheel in eighths of a degree
        QTest::addColumn<QList<int>>("attendue");
        const QList<int> debut{0, 0, 0, 0, 1, 2, 3, 4, 5}, fin{6, 7, 8, 9, 10, 0, 0, 0, 0};
        QTest::newRow("Page Down") << false << QStringList{"PgDown"} << fin;
        QTest::newRow("Page Up") << true << QStringList{"PgUp"} << debut;
        QTest::newRow("End") << false << QStringList{"End"} << fin;
        QTest::newRow("Home") << true << QStringList{"Home"} << debut;
        QTest::newRow("un cran vers soi") << false << QStringList{"-120"} << fin;
        QTest::newRow("un cran en arrière") << true << QStringList{"120"} << debut;
        QTest::newRow("deux demi-crans") << false << QStringList{"-60", "-60"} << fin;
    }
    void pagesAuClavierEtALaMolette()
    {
        QFETCH(bool, depuisLaFin);
        QFETCH(QStringList, gestes);
        QFETCH(QList<int>, attendue);
        QVERIFY(QTest::qWaitForWindowActive(b_->fen.get()));
        entrer();
        if (depuisLaFin)
            presser(m().CmdVBas, Qt::RightButton);
        b_->controle("Dir1")->setFocus();
        QTest::mouseClick(m().Image2[4], Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(QApplication::focusWidget(), m().FondMiniatures);
        const QMap<QString, Qt::Key> touches{
            {"PgDown", Qt::Key_PageDown}, {"PgUp", Qt::Key_PageUp}, {"Home", Qt::Key_Home}, {"End", Qt::Key_End}};
        for (const QString& geste : gestes) {
            if (touches.contains(geste)) {
                QTest::keyClick(QApplication::focusWidget(), touches.value(geste));
                continue;
            }
            const QPoint ici(5, 5);
            QWheelEvent roue(ici, m().FondMiniatures->mapToGlobal(ici), QPoint(), QPoint(0, geste.toInt()),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(m().FondMiniatures, &roue);
        }
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(grille(), attendue);
    }

    void clicsSurLesCellules()
    {
        entrer();
        QTest::mouseClick(m().Image2[8], Qt::LeftButton, {}, QPoint(3, 3));
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(m().pages().ImageCentree(), qint64(5));
        QCOMPARE(grille(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
        presser(m().CmdVHaut, Qt::RightButton);
        QTest::mouseClick(m().Image2[0], Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(m().pages().ImageCentree(), qint64(1));
    }

    // A page left before it was complete never leaves cells of another page behind.
    void pagesQuitteesAvantLaFin()
    {
        entrer();
        presser(m().CmdVBas);
        presser(m().CmdVHaut);
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(grille(), (QList<int>{6, 7, 8, 9, 10, 0, 0, 0, 0}));
    }

    // Once a page is whole the next one is decoded ahead: the page turn shows at once.
    void pageSuivanteDecodeeDAvance()
    {
        entrer();
        QTRY_VERIFY(m().anticipationComplete());
        presser(m().CmdVBas);
        QVERIFY(m().pageComplete());
        QCOMPARE(grille(), (QList<int>{6, 7, 8, 9, 10, 0, 0, 0, 0}));
        presser(m().CmdVHaut);
        QVERIFY(m().pageComplete());
    }

    // HEIC, AVIF and JPEG XL pictures page by like the others.
    void formatsRecentsPageAPage()
    {
        const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
        const QString cjxl = QStandardPaths::findExecutable(QStringLiteral("cjxl"));
        if (convert.isEmpty() || cjxl.isEmpty())
            QSKIP("convert (imagemagick) and cjxl (libjxl-tools) make the pictures");
        const QString png = b_->dossier.filePath(QStringLiteral("source.png"));
        for (int i = 1; i <= 10; ++i) {
            const QString suffixe = QStringList{"heic", "avif", "jxl"}.at(i % 3);
            QVERIFY(QImage(chemin(i)).save(png));
            QVERIFY(QFile::remove(chemin(i)));
            const QString sortie = chemin(i).chopped(3) + suffixe;
            QCOMPARE(QProcess::execute(suffixe == u"jxl" ? cjxl : convert, {png, sortie}), 0);
        }
        g().modele.relire();
        QTRY_VERIFY(g().modele.fichiers().size() == 10 && g().modele.fichiers().first().endsWith(u".avif"));
        QCOMPARE(g().modele.images(), g().modele.fichiers()); // the full-screen sequence steps through them
        entrer();
        QCOMPARE(grille(24), (QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 5}));
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(grille(24), (QList<int>{6, 7, 8, 9, 10, 0, 0, 0, 0}));
        // A four-letter extension leaves the caption whole, as a three-letter one does.
        QCOMPARE(b_->controle<BoutonSkin>("Forme3")->text(), QStringLiteral("          IMG_0010"));
    }

    void aucuneCorrespondance()
    {
        entrer();
        QVERIFY(b_->fen->navigateur()->ouvrirDossier(d_ + QStringLiteral("/vide")));
        QTRY_VERIFY(!g().modele.listageEnCours());
        QTRY_COMPARE(m().pages().NbMiniatures(), qint64(0));
        QCOMPARE(grille(), QList<int>(9, 0));
    }

    void grandeImageGardeSesProportionsEtSonCoin()
    {
        QImage large(512, 128, QImage::Format_RGB32);
        large.fill(Qt::darkGreen);
        QVERIFY(large.save(d_ + QStringLiteral("/IMG_0000.BMP"), "BMP"));
        g().modele.relire();
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(11));
        entrer();
        const CelluleMiniature* c = m().Image2[4];
        QVERIFY(c->aImage());
        QCOMPARE(c->rectangleImage(), QRect(0, 0, 128, 32));
        QCOMPARE(m().Image2[5]->rectangleImage(), QRect(0, 0, 64, 48)); // smaller: natural size, uncentred
    }

    // Under "*.wmf" a metafile keeps its own size from the cell's corner, cut at the
    // cell's edges; under any other pattern it is fitted like every picture.
    void metafichiersASaTaille()
    {
        // 192 x 96 pixels (two inches by one), filled with one red rectangle.
        QByteArray o;
        const auto mot = [&o](int v) { o.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
        const QList<int> entete{0xCDD7, 0x9AC6, 0, 0, 0, 192, 96, 96, 0, 0};
        int somme = 0;
        for (int v : entete) {
            mot(v);
            somme ^= v;
        }
        mot(somme);
        const QList<QList<int>> enregistrements{{0x02FC, 0, 0x00FF, 0, 0}, // solid red brush
                                                {0x012D, 0},
                                                {0x041B, 96, 192, 0, 0}, // the whole picture
                                                {0x0000}};
        int taille = 9, plusLong = 3;
        for (const QList<int>& e : enregistrements) {
            taille += 3 + int(e.size()) - 1;
            plusLong = std::max(plusLong, 3 + int(e.size()) - 1);
        }
        for (int v : {1, 9, 0x0300, taille & 0xFFFF, taille >> 16, 1, plusLong, 0, 0})
            mot(v);
        for (const QList<int>& e : enregistrements) {
            const int mots = 3 + int(e.size()) - 1;
            mot(mots);
            mot(0);
            for (int v : e)
                mot(v);
        }
        QFile f(d_ + QStringLiteral("/dessin.wmf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(o);
        f.close();
        g().modele.relire();
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(11));

        g().modele.setMotif(QStringLiteral("*.WMF"));
        entrer();
        const CelluleMiniature* c = m().Image2[4];
        QVERIFY(c->aImage());
        QCOMPARE(c->image().size(), QSize(192, 96));
        QCOMPARE(c->rectangleImage(), QRect(0, 0, 128, 96));
        QCOMPARE(c->image().pixelColor(100, 50), QColor(Qt::red));

        g().modele.setMotif(QStringLiteral("*.*"));
        QTest::mousePress(b_->controle<QListWidget>("Dir1")->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(m().pageComplete() && m().pages().NbMiniatures() == 11);
        QCOMPARE(m().Image2[4]->rectangleImage(), QRect(0, 0, 128, 64)); // fitted
    }

    void imageIllisibleSeuleVide()
    {
        QFile f(chemin(3));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("BM ceci n'est plus une image");
        f.close();
        entrer();
        QCOMPARE(grille(), (QList<int>{0, 0, 0, 0, 1, 2, 0, 4, 5}));
        QVERIFY(m().Image2[6]->toolTip().startsWith(QStringLiteral("Cette image ne peut pas être lue")));
    }

    void listeEtPositionSurviventAuRetour()
    {
        entrer();
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        presser(m().CmdOrmelle);
        QVERIFY(!m().FondMiniatures->isVisible());
        QVERIFY(b_->controle<QListView>("File1")->isEnabled());
        QVERIFY(!b_->fen->modeMiniatures());
        presser(b_->controle<BoutonSkin>("CmdMiniatures"));
        QCOMPARE(m().pages().ImageCentree(), qint64(10));
        QCOMPARE(grille(), (QList<int>{6, 7, 8, 9, 10, 0, 0, 0, 0}));
        presser(m().CmdOrmelle, Qt::RightButton);
        QVERIFY(s().aides.last().endsWith(QStringLiteral("miniatures.htm")));
    }

    void colonneEtCellulesASaPlace_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("infoBulle");
        const auto b = [](const char* nom, int haut, int hauteur, const char* texte) {
            QTest::newRow(nom) << QString::fromLatin1(nom) << QRect(6120, haut, 600, hauteur)
                               << QString::fromUtf8(texte);
        };
        b("CmdVHaut", 90, 420, "Page précédente/Début du dossier");
        b("CmdVBas", 600, 420, "Page suivante/Fin du dossier");
        b("CmdVTypExt", 1020, 735, "Choix du format d'image (bmp, dib, gif, jpg, rle, wmf)");
        b("CmdVPlEcr", 1740, 480, "Affichage en taille réelle de l'image centrée/Couleur du fond");
        b("CmdVRename", 2280, 480, "Renommer l'image centrée");
        b("CmdVCopFich", 2820, 480, "Copier le fichier d'image centrée/Copier l'image centrée dans le presse-papiers");
        b("CmdVSupFic", 3360, 480, "Supprimer l'image centrée");
        b("CmdVPaint", 3900, 480, "Programme de dessin/Presse-papiers");
        b("CmdOrmelle", 4440, 480, "Fenêtre principale/Appel de la rubrique d'aide");
        QTest::newRow("Image2(0)") << "Image2(0)" << QRect(120, 180, 1920, 1440) << QString();
        QTest::newRow("Image2(4)") << "Image2(4)" << QRect(2130, 1800, 1920, 1440) << QString();
        QTest::newRow("Image2(8)") << "Image2(8)" << QRect(4140, 3420, 1920, 1440) << QString();
    }
    void colonneEtCellulesASaPlace()
    {
        QFETCH(QString, nom);
        QFETCH(QRect, twips);
        QFETCH(QString, infoBulle);
        presser(b_->controle<BoutonSkin>("CmdMiniatures"));
        QCOMPARE(m().FondMiniatures->geometry(), QRect(3120 / 15, 630 / 15, 6735 / 15, 5055 / 15));
        auto* w = m().FondMiniatures->findChild<QWidget*>(nom);
        QVERIFY(w);
        QCOMPARE(w->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        if (auto* bouton = qobject_cast<BoutonSkin*>(w))
            QCOMPARE(bouton->infoBulle(), infoBulle);
    }

    // Every folder of the shared corpus (broken, odd and hostile pictures among them):
    // one page of each paints, its cells each filled or empty, without a crash.
    void corpus_data()
    {
        QTest::addColumn<QString>("dossier");
        const QString racine = qEnvironmentVariable("ORMELLE_TESTDATA");
        if (racine.isEmpty() || !QFileInfo(racine).isDir())
            QSKIP("no shared corpus here");
        QDirIterator it(racine, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString d = it.next();
            QTest::newRow(qPrintable(QDir(racine).relativeFilePath(d))) << d;
        }
    }
    void corpus()
    {
        QFETCH(QString, dossier);
        presser(b_->controle<BoutonSkin>("CmdMiniatures"));
        QVERIFY(b_->fen->navigateur()->ouvrirDossier(dossier));
        QTRY_VERIFY_WITH_TIMEOUT(!g().modele.listageEnCours() && m().pageComplete(), 60000);
        QCOMPARE(m().pages().NbMiniatures(), qint64(g().modele.fichiers().size()));
        if (m().pages().NbMiniatures() > 0) {
            QCOMPARE(m().centree(), g().modele.chemin(g().modele.fichiers().first()));
            presser(m().CmdVBas);
            QTRY_VERIFY_WITH_TIMEOUT(m().pageComplete(), 60000);
        }
        m().FondMiniatures->grab();
    }
};

QTEST_MAIN(TestMiniatures)
#include "tst_miniatures.moc"
