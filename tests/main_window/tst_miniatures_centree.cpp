// What the thumbnail column's commands do to the middle picture: to the trash, renamed,
// copied, shown alone at its own size in its true colours, and the background colour.
#include "bancminiatures.h"

#include "commun/profilsessai.h"
#include "main_window/navigateur.h"
#include "fullscreen/pleinecran.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

#include <functional>

class TestMiniaturesCentree : public QObject, BancMiniatures {
    Q_OBJECT

    // Full screen on the middle picture: what it shows once decoded (`pendant` runs
    // then, while it is open); a click on the picture closes it.
    QImage pleinEcranDeLaCentree(const std::function<void(PleinEcran&)>& pendant = {})
    {
        QImage montree;
        QTimer::singleShot(0, this, [&] {
            auto* v = qobject_cast<PleinEcran*>(QApplication::activeModalWidget());
            if (!v)
                return;
            (void)QTest::qWaitFor([v] { return !v->imageEnAttente(); }, 10000);
            montree = v->imageAffichee();
            if (pendant)
                pendant(*v);
            QTest::mouseClick(v->findChild<QWidget*>(QStringLiteral("Image1")), Qt::LeftButton);
        });
        presser(m().CmdVPlEcr);
        return montree;
    }

private slots:
    void init() { preparer(); }
    void cleanup() { b_.reset(); }

    void supprimerLImageCentree()
    {
        entrer();
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        const QByteArray octets = lire(chemin(10));
        s().reponsesBoite.push_back(-1);
        presser(m().CmdVSupFic);
        QCOMPARE(s().boites.value(0).second,
                 QStringLiteral("Êtes-vous sûr(e) de vouloir envoyer « IMG_0010.BMP » dans la Corbeille ?"));
        QVERIFY(!QFileInfo::exists(chemin(10)));
        QCOMPARE(lire(donnees_.filePath(QStringLiteral("share/Trash/files/IMG_0010.BMP"))), octets);
        QTRY_COMPARE(m().pages().NbMiniatures(), qint64(9));
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(m().pages().ImageCentree(), qint64(1));
        QCOMPARE(grille(), (QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 5}));
    }

    void renommerLImageCentree()
    {
        entrer();
        const QByteArray octets = lire(chemin(1));
        presser(m().CmdVRename);
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        QCOMPARE(nouvNom->text(), QStringLiteral("IMG_0001.BMP"));
        nouvNom->selectAll();
        QTest::keyClicks(nouvNom, QStringLiteral("Zebre.bmp"));
        QTest::keyClick(nouvNom, Qt::Key_Return);
        QCOMPARE(lire(d_ + QStringLiteral("/Zebre.bmp")), octets);
        QVERIFY(!QFileInfo::exists(chemin(1)));
        QCOMPARE(lire(chemin(2)).size(), octets.size());
        // Listed again, last by name, and still in the middle, named under its new name.
        QTRY_COMPARE(m().centree(), d_ + QStringLiteral("/Zebre.bmp"));
        QCOMPARE(m().pages().ImageCentree(), qint64(10));
        QCOMPARE(b_->controle<BoutonSkin>("Forme3")->text(), QStringLiteral("          Zebre"));
    }

    // Once the last picture of the folder is in the trash, the caption line names nothing,
    // on the page and in the main view.
    void derniereImageALaCorbeille_data()
    {
        QTest::addColumn<bool>("page");
        QTest::newRow("page") << true;
        QTest::newRow("vue principale") << false;
    }
    void derniereImageALaCorbeille()
    {
        QFETCH(bool, page);
        const QString seule = d_ + QStringLiteral("/vide/Seule.bmp");
        QVERIFY(QFile::copy(chemin(1), seule));
        if (page)
            presser(b_->controle<BoutonSkin>("CmdMiniatures"));
        QVERIFY(b_->fen->navigateur()->ouvrirDossier(d_ + QStringLiteral("/vide")));
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(1));
        if (!page)
            g().modele.selectionner(0);
        auto* forme3 = b_->controle<BoutonSkin>("Forme3");
        QTRY_COMPARE(forme3->text(), QStringLiteral("          Seule"));
        auto* supprimer = page ? m().CmdVSupFic : b_->controle<BoutonSkin>("CmdSupFic");
        QTRY_VERIFY(supprimer->isEnabled());
        s().reponsesBoite.push_back(-1);
        presser(supprimer);
        QVERIFY(!QFileInfo::exists(seule));
        QTRY_COMPARE(forme3->text(), QString());
        QVERIFY(g().FichierCourant().isEmpty());
        QVERIFY(b_->fen->navigateur()->imageCourante().isNull());
    }

    // The panel stays open while another picture comes to the middle: it follows it.
    void renommerApresUnAutreCentrage()
    {
        entrer();
        const QByteArray premier = lire(chemin(1)), deuxieme = lire(chemin(2));
        presser(m().CmdVRename);
        QTest::mouseClick(m().Image2[5], Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(m().centree(), chemin(2));
        auto* nouvNom = b_->controle<QLineEdit>("NouvNom");
        QCOMPARE(b_->controle<QLabel>("AncNom")->text(), QStringLiteral("IMG_0002.BMP"));
        QCOMPARE(nouvNom->text(), QStringLiteral("IMG_0002.BMP"));
        nouvNom->selectAll();
        QTest::keyClicks(nouvNom, QStringLiteral("Zebre.bmp"));
        QTest::keyClick(nouvNom, Qt::Key_Return);
        QCOMPARE(lire(d_ + QStringLiteral("/Zebre.bmp")), deuxieme);
        QCOMPARE(lire(chemin(1)), premier);
        QVERIFY(!QFileInfo::exists(chemin(2)));
    }

    void copierLImageCentree()
    {
        entrer();
        presser(m().CmdVCopFich); // cancelled
        QCOMPARE(s().nomsProposes, QStringList{chemin(1)});
        s().fichiers.push_back(d_ + QStringLiteral("/vide/copie.bmp"));
        presser(m().CmdVCopFich);
        QCOMPARE(lire(d_ + QStringLiteral("/vide/copie.bmp")), lire(chemin(1)));
        presser(m().CmdVCopFich, Qt::RightButton);
        QTRY_COMPARE(s().images.size(), 2);
        QCOMPARE(s().images.at(1).pixelColor(3, 3).rgb(), couleur(1).rgb());
    }

    // The middle picture at its own size, alone; a click on it comes back.
    void tailleReelleDeLImageCentree()
    {
        entrer();
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(m().centree(), chemin(10));
        bool vueUnique = false;
        bool vueUniqueALaFermeture = true;
        std::optional<ajustement::Mode> adaptation;
        const QImage montree = pleinEcranDeLaCentree([&](PleinEcran& v) {
            vueUnique = v.vueUnique();
            adaptation = g().diaporama.adaptation();
            connect(&v, &QDialog::finished, this, [&] { vueUniqueALaFermeture = v.vueUnique(); });
        });
        QCOMPARE(g().FichierCourant(), chemin(10));
        QVERIFY(vueUnique);
        QCOMPARE(adaptation, std::optional(ajustement::NePasAdapter));
        QCOMPARE(montree.size(), QSize(64, 48));
        QCOMPARE(montree.pixel(32, 24), couleur(10).rgb());
        QVERIFY(!vueUniqueALaFermeture);
    }

    // A photo tagged with a wide-gamut profile shows its true colours in the
    // preview, its thumbnail and full screen alike.
    void profilIccPartout()
    {
        const QByteArray romm = profilsessai::romm();
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(qRgb(100, 150, 79));
        QFile f(chemin(10));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(profilsessai::png(image, romm)) > 0);
        f.close();
        const QRgb attendue = profilsessai::convertir(qRgb(100, 150, 79), romm);
        auto proche = [attendue](const QImage& i) {
            const QRgb vu = i.isNull() ? 0 : i.pixel(i.width() / 2, i.height() / 2);
            return std::abs(qRed(vu) - qRed(attendue)) <= 2 && std::abs(qGreen(vu) - qGreen(attendue)) <= 2
                   && std::abs(qBlue(vu) - qBlue(attendue)) <= 2;
        };

        auto* file1 = b_->controle<QListView>("File1");
        const QModelIndex dixieme = file1->model()->index(9, 0);
        file1->scrollTo(dixieme);
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualRect(dixieme).center());
        QTRY_COMPARE(g().FichierCourant(), chemin(10));
        QTRY_VERIFY(proche(b_->fen->navigateur()->imageCourante()));

        entrer();
        presser(m().CmdVBas);
        QTRY_VERIFY(m().pageComplete());
        QCOMPARE(m().centree(), chemin(10));
        QVERIFY(proche(m().Image2[4]->image()));
        QVERIFY(proche(pleinEcranDeLaCentree()));
    }

    void couleurDuFond()
    {
        entrer();
        s().couleurs.push_back(QColor(10, 20, 30));
        presser(m().CmdVPlEcr, Qt::RightButton);
        QCOMPARE(g().CouleurFond, QColor(10, 20, 30));
    }
};

QTEST_MAIN(TestMiniaturesCentree)
#include "tst_miniatures_centree.moc"
