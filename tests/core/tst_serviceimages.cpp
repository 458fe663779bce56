// The picture service with a scripted decoder: priorities, cancellation before
// a decode starts, results of cancelled requests never delivered, the same
// request decoded once, and kept results that a changed file invalidates.
#include "decodeurscripte.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
DemandeImage demande(const QString& chemin, int mode = 0)
{
    DemandeImage d;
    d.chemin = chemin;
    d.mode = mode;
    return d;
}

// Asked as the views ask: with the identity the folder's listing found.
DemandeImage telQueListee(const QString& chemin)
{
    DemandeImage d = demande(chemin);
    d.identite = identiteFichier(chemin);
    return d;
}
} // namespace

class TestServiceImages : public QObject {
    Q_OBJECT
private slots:
    void prioritesPuisOrdreDArrivee();
    void annuleeAvantDeCommencer();
    void annuleeEnCoursJamaisLivree();
    void redemandeeApresAnnulationDecodeeDeNouveau();
    void memeDemandeDecodeeUneFois();
    void resultatGardeJusquAuChangementDuFichier();
    void jamaisDeRappelDansLAppel();
};

void TestServiceImages::prioritesPuisOrdreDArrivee()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 1);
    QStringList livres;
    auto noter = [&](const ImagePrete& i) { livres << i.chemin; };
    s.demander(demande("occupe"), ServiceImages::Anticipation, noter);
    QTRY_COMPARE(d.enCours.load(), 1); // the only worker is busy from here on
    s.demander(demande("anticipe1"), ServiceImages::Anticipation, noter);
    s.demander(demande("miniature"), ServiceImages::Miniature, noter);
    s.demander(demande("anticipe2"), ServiceImages::Anticipation, noter);
    s.demander(demande("affiche"), ServiceImages::Affichage, noter);
    QCOMPARE(s.enAttente(), 4);
    d.bloquer = false;
    d.porte.release(5);
    QTRY_COMPARE(livres.size(), 5);
    QCOMPARE(d.commences(), (QStringList{"occupe", "affiche", "miniature", "anticipe1", "anticipe2"}));
    QCOMPARE(livres, d.commences());
}

void TestServiceImages::annuleeAvantDeCommencer()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 1);
    int livres = 0;
    s.demander(demande("occupe"), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(d.enCours.load(), 1);
    // A burst of selections: each one replaces the one before.
    quint64 ticket = 0;
    QString dernier;
    for (int k = 0; k < 30; ++k) {
        s.annuler(ticket);
        ticket = s.demander(demande(QString::number(k)), ServiceImages::Affichage,
                            [&](const ImagePrete& i) { dernier = i.chemin; });
    }
    QCOMPARE(s.enAttente(), 1);
    d.bloquer = false;
    d.porte.release(2);
    QTRY_COMPARE(dernier, QString("29"));
    QCOMPARE(d.appels.load(), 2); // the busy one and the last: the 29 others never started
    QCOMPARE(livres, 1);
}

void TestServiceImages::annuleeEnCoursJamaisLivree()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 2);
    int livres = 0;
    const quint64 t = s.demander(demande("a"), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(d.enCours.load(), 1);
    s.annuler(t);
    d.porte.release();
    QTRY_COMPARE(d.finis.load(), 1);
    QTRY_COMPARE(s.enCours(), 0);
    QCOMPARE(livres, 0);
    QCOMPARE(d.annulationsVues.load(), 1); // told to stop, so it can stop early
    ImagePrete garde;
    QVERIFY(!s.resultatGarde(demande("a"), &garde)); // a cut-short result is never kept
}

// The user leaves a picture and comes straight back while its decode is still being
// stopped: the cut-short decode must not serve the new request.
void TestServiceImages::redemandeeApresAnnulationDecodeeDeNouveau()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 2);
    const quint64 t = s.demander(demande("a"), 0, [](const ImagePrete&) {});
    QTRY_COMPARE(d.enCours.load(), 1);
    s.annuler(t);
    int livres = 0;
    s.demander(demande("a"), ServiceImages::Affichage, [&](const ImagePrete& image) {
        ++livres;
        QVERIFY(!image.image.isNull());
    });
    d.bloquer = false;
    d.porte.release(2);
    QTRY_COMPARE(livres, 1);
    QCOMPARE(d.appels.load(), 2);
    QCOMPARE(d.annulationsVues.load(), 1); // only the first was told to stop
}

void TestServiceImages::memeDemandeDecodeeUneFois()
{
    DecodeurScripte d;
    d.bloquer = true;
    ServiceImages s(par(d), 2);
    int premier = 0, second = 0, autreMode = 0;
    const quint64 t1 = s.demander(demande("a"), 0, [&](const ImagePrete&) { ++premier; });
    QTRY_COMPARE(d.enCours.load(), 1);
    s.demander(demande("a"), ServiceImages::Affichage, [&](const ImagePrete&) { ++second; });
    s.demander(demande("a", 2), 0, [&](const ImagePrete&) { ++autreMode; });
    s.annuler(t1); // the other asker still wants it
    d.bloquer = false;
    d.porte.release(2);
    QTRY_COMPARE(second + autreMode, 2);
    QCOMPARE(premier, 0);
    QCOMPARE(d.appels.load(), 2); // "a" once, and once for the other fitting
}

void TestServiceImages::resultatGardeJusquAuChangementDuFichier()
{
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("photo.jpg");
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("un");
    f.close();
    DecodeurScripte d;
    ServiceImages s(par(d));
    int livres = 0;
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 1);
    ImagePrete garde;
    QVERIFY(s.resultatGarde(telQueListee(chemin), &garde));
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 2);
    QCOMPARE(d.appels.load(), 1);

    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write(" de plus"); // another size: another picture
    f.close();
    QVERIFY(!s.resultatGarde(telQueListee(chemin), &garde));
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 3);
    QCOMPARE(d.appels.load(), 2);

    // Rewritten in place with the same size (a photo retouched and saved again).
    const QDateTime avant = QFileInfo(chemin).lastModified();
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.write("UN");
    QVERIFY(f.setFileTime(avant.addSecs(2), QFileDevice::FileModificationTime));
    f.close();
    QVERIFY(!s.resultatGarde(telQueListee(chemin), &garde));
    s.demander(telQueListee(chemin), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 4);
    QCOMPARE(d.appels.load(), 3);
    s.oublier(chemin);
    QVERIFY(!s.resultatGarde(telQueListee(chemin), &garde));
}

void TestServiceImages::jamaisDeRappelDansLAppel()
{
    DecodeurScripte d;
    ServiceImages s(par(d));
    int livres = 0;
    s.demander(demande("a"), 0, [&](const ImagePrete&) { ++livres; });
    QTRY_COMPARE(livres, 1);
    s.demander(demande("a"), 0, [&](const ImagePrete&) { ++livres; }); // kept: still later
    QCOMPARE(livres, 1);
    QTRY_COMPARE(livres, 2);
}

QTEST_GUILESS_MAIN(TestServiceImages)
#include "tst_serviceimages.moc"
