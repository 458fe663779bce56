// Comments over the full-screen picture: each picture shows its own, by keys
// and in the slideshow, in the corner and font the user chose; the editor that
// writes them, up to a disk that fills or cannot be written.
#include "bancplein.h"
#include "outilspanneau.h"

#include "commun/connexionsrompues.h"
#include "commun/sondememoire.h"
#include "core/reglages.h"

#include <QPlainTextEdit>

#include <csignal>
#include <sys/resource.h>

class TestCommentairePlein : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void chaqueImageSonCommentaire();
    void nomQuiFinitUnAutreNom();
    void coins();
    void policeAnnuleeGardee();
    void policeChoisieEnregistree();
    void commentaireDemesure();
    void talvenor();
    void editeurEnregistre();
    void avertissement255();
    void boiteMontreLeCurseur_data();
    void boiteMontreLeCurseur();
    void enregistrementImpossible();
    void disquePlein();
    void enregistrerSansImage();
    void voirFichier();
};

using namespace outilsPanneau;

void TestCommentairePlein::chaqueImageSonCommentaire()
{
    BancPlein b;
    for (const char* nom : {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"})
        BancPlein::image(b.chemin(nom), QSize(80, 60), Qt::blue);
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("IMG_0001.JPG"), "premier"));
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("IMG_0002.JPG"), "second"));
    b.g.commentaire.affiche = true;
    b.g.commentaire.coin = CoinCommentaire::BasGauche;
    b.ouvrir("IMG_0001.JPG");
    QCOMPARE(b.commentaireVu(), QString("premier"));
    b.touche(Qt::Key_Right);
    QCOMPARE(b.commentaireVu(), QString("second"));
    // No line: no comment, right after a picture that had one.
    b.touche(Qt::Key_Right);
    QCOMPARE(b.commentaireVu(), QString());
    b.touche(Qt::Key_Right);
    QCOMPARE(b.commentaireVu(), QString("premier"));

    b.g.DiaporamaEnCours = true;
    QStringList vus;
    for (int i = 0; i < 3; ++i) {
        b.etape();
        vus << b.commentaireVu();
    }
    QCOMPARE(vus, (QStringList{"second", "", "premier"}));
    QCOMPARE(b.g.indexCommentaires.lectures(), 1); // one read of the file for every step
}

void TestCommentairePlein::nomQuiFinitUnAutreNom()
{
    BancPlein b;
    BancPlein::image(b.chemin("A.JPG"), QSize(80, 60), Qt::blue);
    BancPlein::image(b.chemin("PLAGEA.JPG"), QSize(80, 60), Qt::blue);
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("PLAGEA.JPG"), "la plage"));
    b.g.commentaire.affiche = true;
    b.g.commentaire.coin = CoinCommentaire::BasGauche;
    b.ouvrir("A.JPG");
    QCOMPARE(b.commentaireVu(), QString());
    b.touche(Qt::Key_Right);
    QCOMPARE(b.commentaireVu(), QString("la plage"));
}

void TestCommentairePlein::coins()
{
    BancPlein b;
    BancPlein::image(b.chemin("A.JPG"), QSize(80, 60), Qt::blue);
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("A.JPG"), "Coin"));
    b.ouvrir("A.JPG");
    QLabel* l = b.commentFixe();
    QVERIFY(!l->isVisible());
    b.choisir("mnuAfficherCommentaire");
    QVERIFY(l->isVisible());
    QCOMPARE(l->text(), QString("Coin"));
    const QSize t = l->size();
    QCOMPARE(l->pos(), QPoint(0, 600 - t.height())); // switched on: bottom-left
    QVERIFY(b.coche("mnuBG") && !b.coche("mnuHG") && !b.coche("mnuHD") && !b.coche("mnuBD"));
    const struct {
        const char* entree;
        QPoint place;
    } attendus[] = {{"mnuHG", {0, 0}},
                    {"mnuHD", {800 - t.width(), 0}},
                    {"mnuBD", {800 - t.width(), 600 - t.height()}},
                    {"mnuBG", {0, 600 - t.height()}}};
    for (const auto& a : attendus) {
        b.choisir(a.entree);
        QCOMPARE(l->pos(), a.place);
        int coches = 0;
        for (const char* e : {"mnuHG", "mnuHD", "mnuBG", "mnuBD"})
            coches += b.coche(e);
        QCOMPARE(coches, 1);
        QVERIFY(b.coche(a.entree));
    }
    // Twice: hidden again; on again: bottom-left again.
    b.choisir("mnuHD");
    b.choisir("mnuAfficherCommentaire");
    QVERIFY(!l->isVisible());
    QVERIFY(!b.coche("mnuAfficherCommentaire"));
    b.choisir("mnuAfficherCommentaire");
    QCOMPARE(l->pos(), QPoint(0, 600 - t.height()));
    QVERIFY(b.coche("mnuBG") && !b.coche("mnuHD"));
}

void TestCommentairePlein::policeAnnuleeGardee()
{
    BancPlein b;
    BancPlein::image(b.chemin("A.JPG"), QSize(80, 60), Qt::blue);
    b.ouvrir("A.JPG");
    const QFont police = b.g.commentaire.police.police();
    const QColor couleur = b.g.commentaire.police.couleur();
    b.choisir("mnuOpComment"); // both dialogs cancelled
    QCOMPARE(b.g.commentaire.police.police(), police);
    QCOMPARE(b.g.commentaire.police.couleur(), couleur);
    QVERIFY(!b.env.storeEcrit());
    QVERIFY(!b.vue->demandes().police);
}

void TestCommentairePlein::policeChoisieEnregistree()
{
    BancPlein b;
    BancPlein::image(b.chemin("A.JPG"), QSize(80, 60), Qt::blue);
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("A.JPG"), "Police"));
    b.g.commentaire.affiche = true;
    b.g.commentaire.coin = CoinCommentaire::HautGauche;
    b.ouvrir("A.JPG");
    QFont police(QStringLiteral("DejaVu Serif"));
    police.setPointSize(30);
    police.setItalic(true);
    police.setUnderline(true);
    b.env.services.polices.push_back(police);
    b.env.services.couleurs.push_back(QColor(0x11, 0x22, 0x33));
    const int ecritures = b.env.reglages.ecrituresFichier();
    b.choisir("mnuOpComment");
    QCOMPARE(b.env.reglages.ecrituresFichier(), ecritures + 1); // seven keys, one write
    const QString s = cles::SectionCommentaire;
    QCOMPARE(b.env.lu(s, "PoliceNom"), QString("DejaVu Serif"));
    QCOMPARE(b.env.lu(s, "PoliceTaille"), QString("30"));
    QCOMPARE(b.env.lu(s, "PoliceGras"), QString("False"));
    QCOMPARE(b.env.lu(s, "PoliceItalic"), QString("True"));
    QCOMPARE(b.env.lu(s, "PoliceBarree"), QString("False"));
    QCOMPARE(b.env.lu(s, "PoliceSoulignee"), QString("True"));
    QCOMPARE(b.env.lu(s, "CouleurPrincipale"), QString::number(0x332211));
    QLabel* l = b.commentFixe();
    QCOMPARE(l->font().pointSize(), 30);
    QVERIFY(l->font().italic() && l->font().underline() && !l->font().bold());
    QCOMPARE(l->palette().color(QPalette::WindowText), QColor(0x11, 0x22, 0x33));
    QCOMPARE(l->pos(), QPoint(0, 0));
}

// A record of 500 MB (a hole after its first bytes, so the file costs no disk): the
// viewer keeps answering while the file is read, and shows the comment cut short.
void TestCommentairePlein::commentaireDemesure()
{
    BancPlein b;
    BancPlein::image(b.chemin("A.JPG"), QSize(80, 60), Qt::blue);
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), b.chemin("A.JPG"), QString(8000, u'x')));
    QFile f(b.fichierCommentaires());
    QVERIFY(f.resize(500LL * 1024 * 1024));
    b.ouvrir("A.JPG");
    if (!sonde::remettrePic())
        QSKIP("this kernel does not let a process reset its resident peak (/proc/self/clear_refs)");
    const qint64 avant = sonde::residentMaintenant();
    QLabel* l = b.commentFixe();
    int tiquesEnAttente = 0;
    QTimer tique;
    QObject::connect(&tique, &QTimer::timeout, [&] { tiquesEnAttente += l->text().isEmpty(); });
    tique.start(0);
    b.g.commentaire.affiche = true;
    b.vue->chercherCommentaire();
    QTRY_VERIFY_WITH_TIMEOUT(!l->text().isEmpty(), 20000);
    QVERIFY(tiquesEnAttente > 0);
    QCOMPARE(l->text(), QString(commentaires::LongueurMax, u'x') + QChar(0x2026));
    const qint64 pic = sonde::picDepuisRemise(avant);
    QVERIFY2(pic < 128 * 1024 * 1024, qPrintable(QString::number(pic)));
}

void TestCommentairePlein::talvenor()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.bmp"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.bmp");
    b.choisir("mnuCreerCommentaire");
    auto* bouton = b.controle<BoutonSkin>("CmdTalvenor");
    // Over OK and Cancel.
    QVERIFY(bouton->geometry().contains(b.controle<BoutonSkin>("CmdOK")->geometry().center()));
    QVERIFY(bouton->geometry().contains(b.controle<BoutonSkin>("CmdAnnul")->geometry().center()));
    b.cliquer("CmdTalvenor");
    auto* fond = b.controle<PanneauSkin>("FondMessageTalvenor");
    QVERIFY(fond->isVisible());
    QCOMPARE(fond->geometry().center(), QRect(0, 0, 800, 600).center());
    b.cliquer("CmdOKMsgTalvenor");
    QVERIFY(!fond->isVisible());
    QCOMPARE(b.controle<BoutonSkin>("CmdOKMsgTalvenor")->text(), QString("D'accord !"));
    b.cliquer("CmdTalvenor");
    QTest::keyClick(b.vue->focusWidget(), Qt::Key_Return);
    QVERIFY(!fond->isVisible());
    // Not in folder mode.
    b.cliquer("CmdSortir");
    b.choisir("mnuChangRep");
    QVERIFY(!bouton->isVisible());
}

void TestCommentairePlein::editeurEnregistre()
{
    BancPlein b;
    BancPlein::image(b.chemin("plage.jpg"), QSize(20, 20), Qt::blue);
    b.ouvrir("plage.jpg");
    b.choisir("mnuCreerCommentaire");
    QCOMPARE(b.controle<QLabel>("LblComment")->text(),
             QString("Tapez ci-dessous le commentaire à associer à l'image sélectionnée puis cliquez sur "
                     "'Enregistrer'"));
    cliquerLigne(b.controle<QListWidget>("File1"), "plage.jpg");
    auto* text1 = b.controle<QPlainTextEdit>("Text1");
    QTest::keyClicks(text1, "Bonjour");
    b.cliquer("CmdEnregistrer");
    QVERIFY(text1->toPlainText().isEmpty());
    QTest::keyClicks(text1, "Au revoir");
    b.cliquer("CmdEnregistrer");
    QFile f(b.fichierCommentaires());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString p = b.chemin("plage.jpg");
    QCOMPARE(QString::fromUtf8(f.readAll()), p + "/Bonjour\n" + p + "/Au revoir\n");
    b.cliquer("CmdSortir");
    b.choisir("mnuAfficherCommentaire");
    QCOMPARE(b.commentaireVu(), QString("Au revoir"));
}

void TestCommentairePlein::avertissement255()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.jpg");
    auto* text1 = editerCommentaire(b, "a.jpg");
    text1->setPlainText(QString(255, QLatin1Char('a')));
    text1->moveCursor(QTextCursor::End);
    text1->setFocus();
    QVERIFY(!b.env.services.sons.contains(22));
    QTest::keyClick(text1, Qt::Key_B);
    QCOMPARE(b.env.services.sons.count(22), 1);
    QCOMPARE(b.vue->focusWidget(), text1); // the typing goes on
    QCOMPARE(b.titreMessage(), QString("Commentaire"));
    QCOMPARE(b.controle<QLabel>("LblMessage")->text(),
             QString("La taille du commentaire est limitée à 255 caractères..."));
    QVERIFY(!b.controle<BoutonSkin>("IcoFondMessage")->isEnabled());
    QTest::keyClicks(text1, "XYZW"); // every key past the limit reaches the box
    QCOMPARE(b.env.services.sons.count(22), 5);
    b.cliquer("CmdEnregistrer");
    QCOMPARE(commentaires::chercher(b.fichierCommentaires(), b.chemin("a.jpg")),
             QString(255, QLatin1Char('a')) + "bXYZW");
}

// Typed key by key, a comment of several lines or wider than the box keeps the
// caret's line in view, and every key is saved (a line break as a space).
void TestCommentairePlein::boiteMontreLeCurseur_data()
{
    QTest::addColumn<QStringList>("lignes");
    QTest::addColumn<bool>("debutVisible");
    QTest::newRow("trois lignes") << QStringList{"Coucher de soleil", "sur la plage", "de Carnac"} << true;
    QString longue;
    for (int i = 0; longue.size() < 400; ++i)
        longue += QString("mot%1 ").arg(i);
    QTest::newRow("400 caractères") << QStringList{longue.left(400)} << false;
}

void TestCommentairePlein::boiteMontreLeCurseur()
{
    QFETCH(QStringList, lignes);
    QFETCH(bool, debutVisible);
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.jpg");
    auto* text1 = editerCommentaire(b, "a.jpg");
    text1->setFocus();
    for (int i = 0; i < lignes.size(); ++i) {
        if (i > 0)
            QTest::keyClick(text1, Qt::Key_Return);
        for (const QChar c : lignes.at(i)) {
            QTest::keyClicks(text1, QString(c));
            const QRect curseur = text1->cursorRect();
            QVERIFY2(text1->viewport()->rect().contains(curseur),
                     qPrintable(QString("caret at %1,%2 %3x%4 out of the box")
                                    .arg(curseur.x())
                                    .arg(curseur.y())
                                    .arg(curseur.width())
                                    .arg(curseur.height())));
        }
    }
    // A comment of a few lines shows whole, its first line included.
    QCOMPARE(text1->viewport()->rect().contains(text1->cursorRect(QTextCursor(text1->document()))), debutVisible);
    b.cliquer("CmdEnregistrer");
    QCOMPARE(commentaires::chercher(b.fichierCommentaires(), b.chemin("a.jpg")), lignes.join(' '));
}

void TestCommentairePlein::enregistrementImpossible()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    // The data folder is a file: nothing can be written under it.
    QFile bloque(b.env.dossier.filePath("bloque"));
    QVERIFY(bloque.open(QIODevice::WriteOnly));
    bloque.close();
    b.g.DossierCommentaires = bloque.fileName();
    b.ouvrir("a.jpg");
    auto* text1 = editerCommentaire(b, "a.jpg");
    QTest::keyClicks(text1, "rien");
    b.cliquer("CmdEnregistrer");
    QCOMPARE(b.titreMessage(), QString("Enregistrer : Erreur d'accès !"));
    QCOMPARE(b.controle<QLabel>("LblMessage")->text(),
             QString("Il est probable que vous tentez d'écrire sur un support protégé en écriture : CD ou DVD par "
                     "exemple...\nEn principe, vous devriez utiliser le disque dur (éventuellement ZIP,  "
                     "SyQuest...)."));
    QVERIFY(b.controle<BoutonSkin>("IcoFondMessage")->isEnabled());
    QCOMPARE(b.env.services.sons.last(), 21);
    QCOMPARE(text1->toPlainText(), QString("rien"));
    QCOMPARE(bloque.size(), 0);
}

void TestCommentairePlein::disquePlein()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    const QString p = b.chemin("a.jpg");
    QVERIFY(commentaires::ajouter(b.fichierCommentaires(), p, "avant"));
    QFile f(b.fichierCommentaires());
    const qint64 taille = f.size();
    b.ouvrir("a.jpg");
    auto* text1 = editerCommentaire(b, "a.jpg");
    text1->setPlainText(QString(200, QLatin1Char('x')));
    // Room for a few bytes only, as on a disk that fills up during the write.
    struct rlimit ancienne {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &ancienne), 0);
    const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limite = ancienne;
    limite.rlim_cur = rlim_t(taille + 10);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
    b.cliquer("CmdEnregistrer");
    ::setrlimit(RLIMIT_FSIZE, &ancienne);
    std::signal(SIGXFSZ, ancienSignal);
    QCOMPARE(b.titreMessage(), QString("Enregistrer : Erreur d'accès !"));
    QCOMPARE(f.size(), taille);
    QCOMPARE(commentaires::chercher(b.fichierCommentaires(), p), QString("avant"));
    QCOMPARE(text1->toPlainText().size(), 200);
}

void TestCommentairePlein::enregistrerSansImage()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.jpg");
    b.choisir("mnuCreerCommentaire");
    auto* enregistrer = b.controle<BoutonSkin>("CmdEnregistrer");
    QVERIFY(!enregistrer->isEnabled());
    cliquerLigne(b.controle<QListWidget>("File1"), "a.jpg");
    QVERIFY(enregistrer->isEnabled());
    // Another folder: its pictures are not picked yet.
    entrerDossier(b.controle<QListWidget>("Dir1"), QFileInfo(b.photos.path()).path().section('/', -1));
    QVERIFY(!enregistrer->isEnabled());
}

void TestCommentairePlein::voirFichier()
{
    BancPlein b;
    BancPlein::image(b.chemin("a.jpg"), QSize(20, 20), Qt::blue);
    b.ouvrir("a.jpg");
    b.choisir("mnuCreerCommentaire");
    b.cliquer("CmdVoirFichier");
    QCOMPARE(b.env.services.urls.size(), 1);
    QCOMPARE(b.env.services.urls[0].toLocalFile(), b.fichierCommentaires());
}

QTEST_MAIN(TestCommentairePlein)
#include "tst_commentaireplein.moc"
