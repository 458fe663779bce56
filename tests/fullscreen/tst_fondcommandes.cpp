// The chooser panel over the full-screen picture: folder and picture choice,
// the preview, OK and Cancel, help and the message panel.
#include "bancplein.h"
#include "outilspanneau.h"

#include "dialogs/reglslid.h"
#include "commun/connexionsrompues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QRegularExpression>
#include <QTimer>

class TestFondCommandes : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void motifFixeSansCasse();
    void okAttendUnFichier();
    void apercu();
    void annulerGardeLeNouveauDossier();
    void aide();
    void messageEntierLisibleEtFermeAuClavier();
    void okRemetLesTransitions();
    void reglagesRepris();
    void lecteurSansSupport();
};

using namespace outilsPanneau;

void TestFondCommandes::motifFixeSansCasse()
{
    BancPlein b;
    for (const char* nom : {"PHOTO.JPG", "b.Bmp", "c.wmf", "notes.txt", "d.png"})
        BancPlein::image(b.chemin(nom), QSize(20, 20), Qt::blue);
    b.g.modele.setMotif(QStringLiteral("*.png")); // the main window's filter does not apply here
    b.ouvrir("d.png");
    b.choisir("mnuChangRep");
    QCOMPARE(textes(b.controle<QListWidget>("File1")), (QStringList{"b.Bmp", "c.wmf", "PHOTO.JPG"}));
    // Centred on the screen.
    QCOMPARE(b.panneau()->geometry().center(), QRect(0, 0, 800, 600).center());
}

void TestFondCommandes::okAttendUnFichier()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    BancPlein::image(b.chemin("b.bmp"), QSize(20, 20), Qt::red);
    b.ouvrir("a.bmp");
    b.choisir("mnuChangRep");
    auto* ok = b.controle<BoutonSkin>("CmdOK");
    QVERIFY(!ok->isEnabled());
    cliquerLigne(b.controle<QListWidget>("File1"), "b.bmp");
    QVERIFY(ok->isEnabled());
    b.cliquer("CmdOK");
    b.montree();
    QVERIFY(!b.panneau()->isVisible() && !b.vue->demandes().panneau);
    QCOMPARE(b.g.FichierCourant(), b.chemin("b.bmp"));
    QCOMPARE(b.vue->imageAffichee().pixelColor(0, 0), QColor(Qt::red));
    // Opened again: OK waits for a new click.
    b.choisir("mnuChangRep");
    QVERIFY(!ok->isEnabled());
}

void TestFondCommandes::apercu()
{
    BancPlein b;
    BancPlein::image(b.chemin("large.bmp"), QSize(312, 117), Qt::green); // 4680 x 1755 twips
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.bmp");
    b.choisir("mnuChangRep");
    cliquerLigne(b.controle<QListWidget>("File1"), "large.bmp");
    QTRY_VERIFY_WITH_TIMEOUT(b.panneau()->apercuVisible(), 10000);
    QCOMPARE(b.panneau()->apercuTwips(), QRectF(5820, 918.75, 2340, 877.5));
    // Preview off: emptied; on again: back. The box shows which it is, over the
    // viewer's black.
    auto* coche = b.controle<QCheckBox>("CocheApercu");
    const QImage cochee = coche->grab().toImage();
    QTest::mouseClick(coche, Qt::LeftButton);
    QVERIFY(!b.panneau()->apercuVisible());
    QVERIFY(coche->grab().toImage() != cochee);
    QVERIFY(cochee.pixelColor(cochee.rect().center()) != QColor(Qt::black));
    QTest::mouseClick(coche, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(b.panneau()->apercuVisible(), 10000);
    // An unreadable picture leaves the preview hidden.
    QFile bad(b.chemin("casse.jpg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("pas une image");
    bad.close();
    b.cliquer("CmdAnnul");
    b.choisir("mnuChangRep");
    cliquerLigne(b.controle<QListWidget>("File1"), "casse.jpg");
    QVERIFY(!b.panneau()->apercuVisible());
    cliquerLigne(b.controle<QListWidget>("File1"), "large.bmp");
    QTRY_VERIFY_WITH_TIMEOUT(b.panneau()->apercuVisible(), 10000);
}

void TestFondCommandes::annulerGardeLeNouveauDossier()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    QVERIFY(QDir(b.photos.path()).mkdir("sous"));
    BancPlein::image(b.chemin("sous/x.bmp"), QSize(20, 20), Qt::red);
    BancPlein::image(b.chemin("sous/y.bmp"), QSize(20, 20), Qt::green);
    b.g.DossierLecteur = QStringLiteral("/avant");
    b.ouvrir("a.bmp");
    b.choisir("mnuChangRep");
    entrerDossier(b.controle<QListWidget>("Dir1"), "sous");
    QCOMPARE(b.panneau()->dossier(), b.chemin("sous"));
    QCOMPARE(textes(b.controle<QListWidget>("File1")), (QStringList{"x.bmp", "y.bmp"}));
    cliquerLigne(b.controle<QListWidget>("File1"), "y.bmp");
    b.cliquer("CmdAnnul");
    QCOMPARE(b.g.DossierCourant(), b.chemin("sous"));
    QCOMPARE(b.g.DossierLecteur, QString("/avant"));
    QTRY_VERIFY_WITH_TIMEOUT(!b.g.modele.listageEnCours(), 10000);
    QTRY_COMPARE(b.vue->fichiers(), (QStringList{"x.bmp", "y.bmp"}));
    b.touche(Qt::Key_Right);
    QCOMPARE(b.g.FichierCourant(), b.chemin("sous/x.bmp"));
    QCOMPARE(b.vue->imageAffichee().pixelColor(0, 0), QColor(Qt::red));
    // The way down from the root, the current folder picked; its parent goes back up.
    b.choisir("mnuChangRep");
    auto* dir1 = b.controle<QListWidget>("Dir1");
    QStringList attendu{"/"};
    for (const QString& c : b.chemin("sous").split('/', Qt::SkipEmptyParts))
        attendu << c;
    QCOMPARE(textes(dir1).replaceInStrings(QRegularExpression("^ +"), QString()), attendu);
    QCOMPARE(dir1->currentItem()->text().trimmed(), QString("sous"));
    entrerDossier(dir1, QFileInfo(b.photos.path()).fileName());
    QCOMPARE(b.panneau()->dossier(), b.photos.path());
    const auto retrait = [](const QListWidgetItem* i) { return i->text().size() - i->text().trimmed().size(); };
    QCOMPARE(retrait(dossier(dir1, "sous")), retrait(dossier(dir1, QFileInfo(b.photos.path()).fileName())) + 2);
}

void TestFondCommandes::aide()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.bmp");
    b.choisir("mnuChangRep");
    b.cliquer("CmdAide");
    QVERIFY(b.env.services.aides.last().endsWith("::/htm/choix_du_dossier.htm"));
    b.cliquer("CmdAnnul");
    b.choisir("mnuCreerCommentaire");
    b.cliquer("CmdAide");
    QVERIFY(b.env.services.aides.last().endsWith("::/htm/creation_du_commentaire.htm"));
}

// A message taller than the panel's box shows whole, its caption reads on the panel,
// and Escape closes it without leaving the viewer.
void TestFondCommandes::messageEntierLisibleEtFermeAuClavier()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.jpg");
    auto* fichier1 = b.controle<QWidget>("Fichier1");
    QCOMPARE(b.vue->focusWidget(), fichier1);
    const QString texte("Il est probable que vous tentez d'écrire sur un support protégé en écriture : CD ou DVD par "
                        "exemple...\nEn principe, vous devriez utiliser le disque dur (éventuellement ZIP,  "
                        "SyQuest...).");
    b.vue->afficherMessage("Enregistrer : Erreur d'accès !", texte + "\n" + texte, true, 21);
    auto* fond = b.controle<PanneauSkin>("FondMessage");
    auto* lbl = b.controle<QLabel>("LblMessage");
    auto* ok = b.controle<BoutonSkin>("CmdOKMsg");
    QCOMPARE(ok->text(), QString("D'accord !"));
    QVERIFY(lbl->height() >= lbl->heightForWidth(lbl->width()));
    for (QWidget* w = lbl; w != fond; w = w->parentWidget())
        QVERIFY(w->parentWidget()->rect().contains(w->geometry()));
    QVERIFY(ok->y() >= lbl->mapTo(fond, QPoint(0, lbl->height())).y());
    QVERIFY(fond->rect().contains(ok->geometry()));
    QVERIFY(b.vue->rect().contains(fond->geometry()));
    QVERIFY(contraste(fondDuTitre(fond), b.g.couleur(Role::TexteBoutons)) >= 3);

    QCOMPARE(b.vue->focusWidget(), fond);
    QTest::keyClick(fond, Qt::Key_Escape);
    QVERIFY(fond->isHidden());
    QVERIFY(b.vue->isVisible());
    QCOMPARE(b.vue->focusWidget(), fichier1);
}

void TestFondCommandes::okRemetLesTransitions()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    BancPlein::image(b.chemin("b.bmp"), QSize(20, 20), Qt::red);
    b.g.diaporama.effetTransition = true;
    b.ouvrir("a.bmp");
    QTRY_VERIFY(!b.vue->effetEnCours());
    b.choisir("mnuChangRep");
    QVERIFY(!b.g.diaporama.effetTransition);
    cliquerLigne(b.controle<QListWidget>("File1"), "b.bmp");
    QSignalSpy effet(b.vue.get(), &PleinEcran::effetTermine);
    b.cliquer("CmdOK");
    QVERIFY(b.g.diaporama.effetTransition);
    // The picked picture comes with the effect.
    QTRY_COMPARE_WITH_TIMEOUT(effet.count(), 1, 10000);
    QCOMPARE(b.vue->imageAffichee().pixelColor(0, 0), QColor(Qt::red));
}

void TestFondCommandes::reglagesRepris()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    BancPlein::image(b.chemin("b.bmp"), QSize(20, 20), Qt::red);
    b.ouvrir("a.bmp");
    b.g.diaporama.dureePause = 5;
    int fois = 0;
    // The settings dialog: "Dossier" the first time, Cancel the second.
    const auto repondre = [&] {
        QTimer::singleShot(0, this, [&] {
            auto* r = qobject_cast<ReglSlid*>(QApplication::activeModalWidget());
            QVERIFY(r);
            ++fois;
            if (fois == 1)
                QTest::mouseClick(r->findChild<BoutonSkin*>("CmdRep"), Qt::LeftButton);
            else
                r->reject();
        });
    };
    repondre();
    b.choisir("mnuRegl");
    QCOMPARE(fois, 1);
    QVERIFY(b.panneau()->isVisible());
    QCOMPARE(b.panneau()->titre(), QString("Choix du dossier d'images / Choix d'une image"));
    cliquerLigne(b.controle<QListWidget>("File1"), "b.bmp");
    repondre();
    b.cliquer("CmdOK");
    QCOMPARE(fois, 2);
    QVERIFY(!b.panneau()->isVisible());
    QCOMPARE(b.g.FichierCourant(), b.chemin("b.bmp"));
    QCOMPARE(b.g.diaporama.dureePause, 5);
}

void TestFondCommandes::lecteurSansSupport()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    QTemporaryDir autre;
    BancPlein::image(autre.filePath("z.bmp"), QSize(20, 20), Qt::red);
    const QString absent = autre.filePath("pas-de-support");
    b.ouvrir("a.bmp");
    b.panneau()->setListeLecteurs([&] {
        return QList<Lecteur>{{b.photos.path(), "Photos"}, {absent, "Lecteur vide"}, {autre.path(), "Autre"}};
    });
    b.choisir("mnuChangRep");
    auto* drive1 = b.controle<QComboBox>("Drive1");
    QCOMPARE(drive1->currentIndex(), 0);
    // Retry, then Cancel: the list goes back to the drive in use.
    b.env.services.questions = {QMessageBox::Retry, QMessageBox::Cancel};
    drive1->setCurrentIndex(1);
    emit drive1->activated(1);
    QTRY_COMPARE(b.env.services.boites.size(), 2);
    QTRY_VERIFY(!b.panneau()->listageEnCours());
    QCOMPARE(drive1->currentIndex(), 0);
    QCOMPARE(b.panneau()->dossier(), b.photos.path());
    // A drive that is there: its folder, and DossierLecteur.
    drive1->setCurrentIndex(2);
    emit drive1->activated(2);
    QTRY_COMPARE(b.panneau()->dossier(), autre.path());
    QCOMPARE(b.g.DossierLecteur, autre.path());
    QCOMPARE(textes(b.controle<QListWidget>("File1")), QStringList{"z.bmp"});
    // F8 reads the folder again.
    BancPlein::image(autre.filePath("y.bmp"), QSize(20, 20), Qt::red);
    QVERIFY(QDir(autre.path()).mkdir("neuf"));
    QTest::keyClick(b.controle<QListWidget>("Dir1"), Qt::Key_F8);
    QTRY_VERIFY(dossier(b.controle<QListWidget>("Dir1"), "neuf"));
}

QTEST_MAIN(TestFondCommandes)
#include "tst_fondcommandes.moc"
