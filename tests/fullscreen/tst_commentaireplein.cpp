// Comments over the full-screen picture: each picture shows its own, by keys
// and in the slideshow, in the corner and font the user chose.
#include "bancplein.h"

#include "commun/connexionsrompues.h"
#include "commun/sondememoire.h"
#include "core/reglages.h"

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
};

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

QTEST_MAIN(TestCommentairePlein)
#include "tst_commentaireplein.moc"
