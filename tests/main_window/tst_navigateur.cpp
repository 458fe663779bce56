// The browser column: drives, folders, the file list with its keyboard and its
// pattern, the format panel. Every folder is made here, in a temporary folder.
#include "bancnavigateur.h"
#include "core/reglages.h"
#include "commun/connexionsrompues.h"

#include <QComboBox>
#include <QListWidget>
#include <QtTest>
#include <cerrno>

using Banc = BancNavigateur;

class TestNavigateur : public QObject {
    Q_OBJECT
private slots:
    void init();
    void listeTrieeEtMotifsSansCasse();
    void selectionRemplitLesVariables();
    void dossierRacine();
    void boucleClavier();
    void entreeEtEspace();
    void boutonDroitFichiers();
    void panneauFormats();
    void autreExtension_data();
    void autreExtension();
    void dossiersEtDir1();
    void lecteurIlliscible();
    void lignesAuDelaDe16Bits();
    void resultatsTardifsIgnores();
    void lecteurs();

private:
    QTemporaryDir dossier_;
    QString d(const QString& nom = QString()) const { return nom.isEmpty() ? dossier_.path() : dossier_.filePath(nom); }
};

void TestNavigateur::init()
{
    echouerSurConnexionRompue();
    QVERIFY(dossier_.isValid());
    for (const char* nom : {"b.jpg", "A.JPG", "c.bmp", "d.Gif", "e.dib", "f.rle", "g.wmf", "notes.txt", "sans"})
        creer(d(QString::fromLatin1(nom)));
    QDir(d()).mkpath(QStringLiteral("sous/plus bas"));
    QDir(d()).mkpath(QStringLiteral("Autre"));
}

void TestNavigateur::listeTrieeEtMotifsSansCasse()
{
    Banc b;
    QVERIFY(b.ouvrir(d()));
    QCOMPARE(b.nav->fichiers(),
             QStringList({"A.JPG", "b.jpg", "c.bmp", "d.Gif", "e.dib", "f.rle", "g.wmf", "notes.txt", "sans"}));
    QCOMPARE(b.g.DossierCourant(), d());
    QCOMPARE(b.diaporamas, 1);

    b.nav->basculerPanneauFormats();
    b.cliquer("CmdJPG");
    QCOMPARE(b.g.modele.motif(), QStringLiteral("*.jpg"));
    QCOMPARE(b.nav->fichiers(), QStringList({"A.JPG", "b.jpg"}));
    QVERIFY(b.nav->FondTypExt()->isHidden());
    QCOMPARE(b.legendesTypExt.last(), QStringLiteral(" JPG"));
    QCOMPARE(b.legendesV.last(), QStringLiteral("JPG"));

    b.cliquer("CmdTousImg");
    QCOMPARE(b.nav->fichiers(), QStringList({"A.JPG", "b.jpg", "c.bmp", "d.Gif", "e.dib", "f.rle", "g.wmf"}));
    QCOMPARE(b.legendesTypExt.last(), QStringLiteral("TOUS"));

    b.cliquer("CmdWMF");
    QCOMPARE(b.nav->fichiers(), QStringList{"g.wmf"});
    QCOMPARE(b.legendesTypExt.last(), QStringLiteral("WMF"));

    b.cliquer("CmdTOUS");
    QCOMPARE(b.nav->fichiers().size(), 9);
    QCOMPARE(b.legendesTypExt.last(), QStringLiteral("  *.*"));
    QCOMPARE(b.legendesV.last(), QStringLiteral("*.*"));
}

void TestNavigateur::selectionRemplitLesVariables()
{
    Banc b;
    QVERIFY(b.ouvrir(d()));
    b.file1()->setCurrentIndex(b.file1()->model()->index(2, 0));
    QCOMPARE(b.g.FichierCourant(), d("c.bmp"));
    QCOMPARE(b.g.NomFichierCourant(), QStringLiteral("c.bmp"));
    QCOMPARE(b.g.ExtensionCourante(), QStringLiteral("bmp"));
    QCOMPARE(b.g.modele.IndexFichier(), 2);
    QCOMPARE(b.legendes.last(), QStringLiteral("          c"));
    QCOMPARE(b.masquages.last(), QList<bool>({true, true, true, true}));
    // A name shorter than its supposed extension leaves an empty caption.
    b.file1()->setCurrentIndex(b.file1()->model()->index(8, 0));
    QCOMPARE(b.legendes.last(), QString(10, QLatin1Char(' ')));
    QCOMPARE(b.g.ExtensionCourante(), QStringLiteral("ans"));
}

void TestNavigateur::dossierRacine()
{
    Banc b;
    QVERIFY(b.ouvrir(QStringLiteral("/")));
    auto* dir1 = b.enfant<QListWidget>("Dir1");
    QCOMPARE(dir1->item(0)->data(Qt::UserRole).toString(), QStringLiteral("/"));
    for (int i = 1; i < dir1->count(); ++i)
        QVERIFY2(!dir1->item(i)->data(Qt::UserRole).toString().startsWith(QLatin1String("//")),
                 qPrintable(dir1->item(i)->data(Qt::UserRole).toString()));
    if (b.nav->fichiers().isEmpty())
        QSKIP("no plain file in / to select");
    b.file1()->setCurrentIndex(b.file1()->model()->index(0, 0));
    QCOMPARE(b.g.FichierCourant(), QLatin1Char('/') + b.nav->fichiers().first());
    QCOMPARE(b.g.DossierCourant(), QStringLiteral("/"));
}

void TestNavigateur::boucleClavier()
{
    Banc b;
    QVERIFY(b.ouvrir(d()));
    const qint64 dernier = b.nav->fichiers().size() - 1;
    b.touche(Qt::Key_Down); // nothing selected yet: the first
    QCOMPARE(b.g.modele.IndexFichier(), 0);
    b.touche(Qt::Key_Up);
    QCOMPARE(b.g.modele.IndexFichier(), dernier);
    QCOMPARE(b.g.FichierCourant(), d("sans"));
    b.touche(Qt::Key_Down);
    QCOMPARE(b.g.modele.IndexFichier(), 0);
    QCOMPARE(b.g.FichierCourant(), d("A.JPG"));
    b.touche(Qt::Key_Right);
    QCOMPARE(b.g.modele.IndexFichier(), 1);
    b.touche(Qt::Key_Left);
    b.touche(Qt::Key_Left);
    QCOMPARE(b.g.modele.IndexFichier(), dernier);
    b.touche(Qt::Key_Right);
    QCOMPARE(b.g.modele.IndexFichier(), 0);
    QCOMPARE(b.file1()->currentIndex().row(), 0);
}

void TestNavigateur::entreeEtEspace()
{
    Banc b;
    QVERIFY(b.ouvrir(d()));
    QSignalSpy images(b.nav.get(), &Navigateur::imageAffichee);
    b.touche(Qt::Key_Return);
    QCOMPARE(b.passages, 0);
    QCOMPARE(b.services.sabliers, 0);
    QVERIFY(b.g.FichierCourant().isEmpty());

    b.touche(Qt::Key_Down);
    QTRY_COMPARE(images.count(), 1);
    b.touche(Qt::Key_Return);
    QCOMPARE(b.passages, 1);
    QTRY_COMPARE(images.count(), 2);
    b.touche(Qt::Key_Space);
    QTRY_COMPARE(images.count(), 3);
    QCOMPARE(b.passages, 1);
    QCOMPARE(b.g.modele.IndexFichier(), 0);

    // A double click hands over, then the entry still selected is shown again.
    const QRect r = b.file1()->visualRect(b.file1()->model()->index(0, 0));
    QTest::mousePress(b.file1()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(b.file1()->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(b.passages, 2);
    QTRY_COMPARE(images.count(), 4);
    QCOMPARE(b.g.FichierCourant(), d("A.JPG"));

    // A click on the entry already selected shows it again.
    QTest::mouseClick(b.file1()->viewport(), Qt::LeftButton, {}, r.center());
    QTRY_COMPARE(images.count(), 5);
    QCOMPARE(b.passages, 2);
}

void TestNavigateur::boutonDroitFichiers()
{
    Banc b;
    QVERIFY(b.ouvrir(d()));
    const QRect r = b.file1()->visualRect(b.file1()->model()->index(1, 0));
    QTest::mousePress(b.file1()->viewport(), Qt::RightButton, {}, r.center());
    QCOMPARE(b.menus, 0);
    b.file1()->setCurrentIndex(b.file1()->model()->index(0, 0));
    QTest::mousePress(b.file1()->viewport(), Qt::RightButton, {}, r.center());
    QCOMPARE(b.menus, 1);
    // The menu acts on the file selected, not the one under the mouse.
    QCOMPARE(b.file1()->currentIndex().row(), 0);
    QCOMPARE(b.g.FichierCourant(), d("A.JPG"));
}

void TestNavigateur::panneauFormats()
{
    Banc b;
    PanneauSkin* p = b.nav->FondTypExt();
    QCOMPARE(p->accessibleName(), QStringLiteral("Choix du format d'image"));
    QVERIFY(p->isHidden());
    b.nav->basculerPanneauFormats();
    QVERIFY(!p->isHidden());
    QCOMPARE(p->geometry(), twips::rect(3180, 1530, 2355, 4095));
    QCOMPARE(b.masquages.last(), QList<bool>({true, true, false, true}));
    b.nav->basculerPanneauFormats();
    QVERIFY(p->isHidden());
    b.nav->montrerPanneauFormats(); // from the thumbnail page: always shown
    b.nav->montrerPanneauFormats();
    QVERIFY(!p->isHidden());
    p->hide();

    for (const char* nom :
         {"CmdBMP", "CmdDIB", "CmdGIF", "CmdJPG", "CmdRLE", "CmdWMF", "CmdAutre", "CmdTousImg", "CmdTOUS"})
        QVERIFY2(b.enfant<BoutonSkin>(nom) && b.enfant<BoutonSkin>(nom)->parent() == p, nom);
    QCOMPARE(b.enfant<BoutonSkin>("CmdTOUS")->geometry(), twips::rect(300, 2820, 1905, 1140));
    QCOMPARE(b.enfant<BoutonSkin>("CmdTOUS")->infoBulle(), QStringLiteral("Clic droit : appel de la rubrique d'aide"));
    QTest::mousePress(b.enfant<BoutonSkin>("CmdTOUS"), Qt::RightButton);
    QCOMPARE(b.services.aides.size(), 1);
    QVERIFY(b.services.aides.first().endsWith(QLatin1String("::/htm/format_dimage.htm")));

    // The right button of CmdTypExt covers, then uncovers the file area.
    b.nav->boutonDroitTypExt();
    QVERIFY(b.cache);
    QCOMPARE(b.masquages.last(), QList<bool>({true, true, false, false}));
    b.nav->boutonDroitTypExt();
    QVERIFY(!b.cache);
}

void TestNavigateur::autreExtension_data()
{
    QTest::addColumn<QString>("avant");   // pattern chosen first
    QTest::addColumn<QVariant>("saisie"); // null: the input box is cancelled
    QTest::addColumn<int>("reponse");     // answer to the confirmation
    QTest::addColumn<QString>("motif");
    QTest::addColumn<QString>("legende"); // empty: captions untouched
    QTest::addColumn<QStringList>("fichiers");
    const QStringList tous{"A.JPG", "b.jpg", "c.bmp", "d.Gif", "e.dib", "f.rle", "g.wmf", "notes.txt", "sans"};
    QTest::newRow("jpg") << "" << QVariant("jpg") << 0 << "*.jpg"
                         << "JPG" << QStringList{"A.JPG", "b.jpg"};
    QTest::newRow("jpeg, second bouton") << "CmdBMP" << QVariant("jpeg") << 0 << "*.bmp"
                                         << "" << QStringList{"c.bmp"};
    QTest::newRow("jpeg, premier bouton") << "" << QVariant("jpeg") << -1 << "*.jpeg"
                                          << "JPEG" << QStringList{};
    QTest::newRow("annulé sur *.*") << "" << QVariant() << 0 << "*.*"
                                    << "*.*" << tous;
    QTest::newRow("annulé sur *.bmp") << "CmdBMP" << QVariant() << 0 << "*.bmp"
                                      << "BMP" << QStringList{"c.bmp"};
}

void TestNavigateur::autreExtension()
{
    QFETCH(QString, avant);
    QFETCH(QVariant, saisie);
    QFETCH(int, reponse);
    QFETCH(QString, motif);
    QFETCH(QString, legende);
    QFETCH(QStringList, fichiers);
    Banc b;
    QVERIFY(b.ouvrir(d()));
    if (!avant.isEmpty())
        b.cliquer(qPrintable(avant));
    const QStringList legendesAvant = b.legendesTypExt;
    b.services.saisies.push_back(saisie.isNull() ? std::optional<QString>() : saisie.toString());
    b.services.reponsesBoite.push_back(reponse);
    b.nav->basculerPanneauFormats();
    b.cliquer("CmdAutre");
    QVERIFY(b.nav->FondTypExt()->isHidden());
    QCOMPARE(b.g.modele.motif(), motif);
    QCOMPARE(b.nav->fichiers(), fichiers);
    if (legende.isEmpty()) {
        QCOMPARE(b.legendesTypExt, legendesAvant);
    } else {
        QCOMPARE(b.legendesTypExt.last(), legende);
        QCOMPARE(b.legendesV.last(), legende);
    }
    const bool demande = saisie.toString().size() > 3;
    QCOMPARE(b.services.boites.size(), demande ? 1 : 0);
    if (demande) {
        QCOMPARE(b.services.boites.first().first, QStringLiteral("Choix d'un nom d'extension"));
        QCOMPARE(b.services.boites.first().second,
                 QStringLiteral(
                     "L'extension «jpeg» comporte plus de 3 caractères.\nVous êtes sûr(e) de ne pas vous tromper ?"));
        QCOMPARE(b.services.icones.first(), 4);
    }
}

void TestNavigateur::dossiersEtDir1()
{
    Banc b;
    QVERIFY(b.ouvrir(d()));
    auto* dir1 = b.enfant<QListWidget>("Dir1");
    const int parents = int(d().split(QLatin1Char('/'), Qt::SkipEmptyParts).size()) + 1;
    QCOMPARE(dir1->count(), parents + 2);
    QCOMPARE(dir1->item(parents - 1)->data(Qt::UserRole).toString(), d());
    QCOMPARE(dir1->item(parents)->data(Qt::UserRole).toString(), d("Autre"));
    QCOMPARE(dir1->item(parents + 1)->data(Qt::UserRole).toString(), d("sous"));

    dir1->setCurrentRow(parents + 1);
    QVERIFY(b.attendreListe([&] { QTest::keyClick(dir1, Qt::Key_Return); }));
    QCOMPARE(b.g.DossierCourant(), d("sous"));
    QCOMPARE(b.g.DossierCourant(), d("sous"));
    QCOMPARE(b.nav->fichiers(), QStringList());
    QCOMPARE(dir1->count(), parents + 2);
    QCOMPARE(dir1->item(parents + 1)->data(Qt::UserRole).toString(), d("sous/plus bas"));
    QCOMPARE(b.diaporamas, 2);

    // Back up the chain by a double click on its parent entry; a single click only selects.
    const QRect r = dir1->visualItemRect(dir1->item(parents - 1));
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(b.g.DossierCourant(), d("sous"));
    QVERIFY(b.attendreListe([&] { QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, r.center()); }));
    QCOMPARE(b.g.DossierCourant(), d());
    QCOMPARE(b.nav->fichiers().size(), 9);

    QVERIFY(!b.nav->ouvrirDossier(d("absent")));
    QVERIFY(!b.nav->ouvrirDossier(d("b.jpg")));
    QCOMPARE(b.g.DossierCourant(), d());

    // A folder gone between its listing and the user's choice is said, not an empty list.
    QVERIFY(QDir().mkpath(d("éphémère")));
    QVERIFY(b.attendreListe([&] { b.nav->ouvrirDossier(d()); }));
    QVERIFY(QDir(d("éphémère")).removeRecursively());
    QSignalSpy illisible(b.nav.get(), &Navigateur::dossierIllisible);
    int ligne = 0;
    while (ligne < dir1->count() && dir1->item(ligne)->data(Qt::UserRole).toString() != d("éphémère"))
        ++ligne;
    QVERIFY(ligne < dir1->count());
    dir1->setCurrentRow(ligne);
    QVERIFY(b.attendreListe([&] { QTest::keyClick(dir1, Qt::Key_Return); }));
    QCOMPARE(illisible.count(), 1);
    QCOMPARE(illisible.at(0).at(1).toString(), QStringLiteral("Dossier introuvable"));
}

void TestNavigateur::lecteurIlliscible()
{
    Banc b;
    const QString absent = d("pas monté");
    b.nav->setSourceLecteurs([&] {
        return QList<Lecteur>{
            {d(), QStringLiteral("essai")}, {absent, QStringLiteral("absent")}, {d("sous"), QStringLiteral("sous")}};
    });
    auto* drive1 = b.enfant<QComboBox>("Drive1");
    QCOMPARE(drive1->count(), 3);
    QVERIFY(b.ouvrir(d("Autre")));
    QCOMPARE(drive1->currentIndex(), 0);

    b.services.questions = {QMessageBox::Retry, QMessageBox::Cancel};
    drive1->setCurrentIndex(1);
    emit drive1->activated(1);
    QCOMPARE(b.services.boites.size(), 2);
    QVERIFY(b.services.boites.first().second.startsWith(QStringLiteral("Dossier introuvable\n")));
    QCOMPARE(drive1->currentIndex(), 0);
    QCOMPARE(b.g.DossierCourant(), d("Autre"));

    drive1->setCurrentIndex(2);
    QVERIFY(b.attendreListe([&] { emit drive1->activated(2); }));
    QCOMPARE(b.g.DossierCourant(), d("sous"));
    QCOMPARE(b.g.DossierLecteur, d("sous"));
    QCOMPARE(b.services.boites.size(), 2);
}

void TestNavigateur::lignesAuDelaDe16Bits()
{
    // Memory-backed when available: tens of thousands of entries are slow to make on disk.
    const QString base =
        QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir grand(base + QStringLiteral("/ormelle-XXXXXX"));
    const int n = 33000;
    for (int i = 0; i < n; ++i)
        creer(grand.filePath(QStringLiteral("p%1.bmp").arg(i, 5, 10, QLatin1Char('0'))));
    Banc b;
    QVERIFY(b.ouvrir(grand.path()));
    QCOMPARE(b.nav->fichiers().size(), n);
    b.touche(Qt::Key_Up);
    QCOMPARE(b.g.modele.IndexFichier(), qint64(n - 1));
    QCOMPARE(b.g.NomFichierCourant(), QStringLiteral("p32999.bmp"));
    b.touche(Qt::Key_Up);
    QCOMPARE(b.g.modele.IndexFichier(), qint64(n - 2));
}

void TestNavigateur::resultatsTardifsIgnores()
{
    Banc b;
    QSignalSpy listes(b.nav.get(), &Navigateur::listeChargee);
    QVERIFY(b.nav->ouvrirDossier(d()));
    QVERIFY(b.nav->ouvrirDossier(d("sous")));
    QTRY_VERIFY(listes.count() >= 1);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCOMPARE(listes.count(), 1);
    QCOMPARE(b.g.DossierCourant(), d("sous"));
    QCOMPARE(b.nav->fichiers(), QStringList());
}

void TestNavigateur::lecteurs()
{
    const QList<Lecteur> l{
        {"/home/anne", "/home/anne"}, {"/", "/"}, {"/media/anne/CLÉ", "/media/anne/CLÉ  [CLÉ]"}, {"/home", "/home"}};
    QCOMPARE(lecteurDe(l, "/home/anne/Images/été"), 0);
    QCOMPARE(lecteurDe(l, "/home/anne"), 0);
    QCOMPARE(lecteurDe(l, "/home/anne/"), 0);
    QCOMPARE(lecteurDe(l, "/home/annette"), 3);
    QCOMPARE(lecteurDe(l, "/media/anne/CLÉ/DCIM"), 2);
    QCOMPARE(lecteurDe(l, "/media/anne/CLÉS"), 1);
    QCOMPARE(lecteurDe(l, "/"), 1);
    QCOMPARE(lecteurDe(l.mid(2), "/usr"), -1);

    const QList<Lecteur> systeme = listerLecteurs();
    QVERIFY(!systeme.isEmpty());
    QCOMPARE(systeme.first().racine, QDir::homePath());
    for (const Lecteur& v : systeme) {
        QVERIFY2(!v.racine.startsWith(QLatin1String("/proc")) && !v.racine.startsWith(QLatin1String("/sys"))
                     && !v.racine.startsWith(QLatin1String("/dev")),
                 qPrintable(v.racine));
        QVERIFY2(v.racine == QLatin1String("/") || !v.racine.endsWith(QLatin1Char('/')), qPrintable(v.racine));
    }
}

QTEST_MAIN(TestNavigateur)
#include "tst_navigateur.moc"
