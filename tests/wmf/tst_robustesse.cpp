// Damaged and hostile metafiles: each gives an error result or the part drawn
// before the damage, never a crash, a hang or a runaway allocation.
#include "outilstest.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QtTest>

using namespace wmftest;

namespace {

const QString Tronque = QStringLiteral("Fichier WMF tronqué");

// A sheet with a black rectangle over its left half, ready for damage.
EcrivainWmf moitieNoire()
{
    EcrivainWmf e = feuille();
    e.plume(5, 0, Qt::black).selectionner(0).brosse(0, Qt::black).selectionner(1);
    e.rectangle(QRect(0, 0, 500, 1000));
    return e;
}

QByteArray dibAnnonce(int largeur, int hauteur, int bits, int octetsDonnees)
{
    QByteArray d;
    QDataStream s(&d, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint32(40) << qint32(largeur) << qint32(hauteur) << quint16(1) << quint16(bits);
    for (int i = 0; i < 6; ++i)
        s << quint32(0);
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i)
            s << quint32(0x00FF00FF);
    d.append(QByteArray(octetsDonnees, '\x55'));
    return d;
}

QByteArray stretchDibBrut(const QByteArray& dib, int largeur, int hauteur)
{
    QByteArray p;
    QDataStream s(&p, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint32(0x00CC0020);
    for (const int v : {0, hauteur, largeur, 0, 0, 1000, 1000, 0, 0})
        s << qint16(v);
    return p + dib;
}

} // namespace

class TestRobustesse : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void pasUnMetafichier_data();
    void pasUnMetafichier();
    void enregistrementTronqueGardeLeDebut();
    void tailleDEnregistrement_data();
    void tailleDEnregistrement();
    void indexDObjetHorsTable();
    void comptesDePointsMensongers();
    void bitmapsAnnoncesEnormes_data();
    void bitmapsAnnoncesEnormes();
    void chaqueTroncatureEstSure();
    void entreesDeRegression_data();
    void entreesDeRegression();
};

void TestRobustesse::pasUnMetafichier_data()
{
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QString>("erreur");
    const QString pasWmf = QStringLiteral("Ce fichier n'est pas un métafichier Windows.");
    QTest::newRow("empty") << QByteArray() << pasWmf;
    QTest::newRow("text") << QByteArray("Hello, this is not a picture at all.") << pasWmf;
    QTest::newRow("placeable key alone") << QByteArray::fromHex("d7cdc69a0000") << Tronque;
    QTest::newRow("placeable then garbage") << moitieNoire().octets().left(22) + QByteArray(40, 'x') << pasWmf;
    QTest::newRow("standard header cut") << QByteArray::fromHex("010009000003") << Tronque;
}

void TestRobustesse::pasUnMetafichier()
{
    QFETCH(QByteArray, octets);
    QFETCH(QString, erreur);
    const wmf::InfoWmf info = wmf::lireInfo(octets);
    QVERIFY(!info.ok);
    QCOMPARE(info.erreur, erreur);
    const wmf::ResultatWmf r = wmf::rendre(octets, QSize(20, 20));
    QVERIFY(!r.ok());
    QCOMPARE(r.erreur, erreur);
}

void TestRobustesse::enregistrementTronqueGardeLeDebut()
{
    EcrivainWmf e = moitieNoire();
    e.brosse(0, Qt::red).selectionner(2).rectangle(QRect(500, 0, 500, 1000));
    QByteArray octets = e.octets();
    octets.chop(3); // the last rectangle loses its first coordinate
    const wmf::ResultatWmf r = wmf::rendre(octets, QSize(100, 100));
    QVERIFY(r.ok());
    QCOMPARE(r.erreur, Tronque);
    QCOMPARE(r.image.pixel(25, 50), qRgb(0, 0, 0));
    QCOMPARE(r.image.pixel(75, 50), qRgb(255, 255, 255));
}

void TestRobustesse::tailleDEnregistrement_data()
{
    QTest::addColumn<qint64>("mots");
    QTest::newRow("zero") << qint64(0);
    QTest::newRow("shorter than its own header") << qint64(2);
    QTest::newRow("larger than the file") << qint64(100000);
    QTest::newRow("largest possible") << qint64(0xFFFFFFFF);
}

void TestRobustesse::tailleDEnregistrement()
{
    QFETCH(qint64, mots);
    EcrivainWmf e = moitieNoire();
    e.brut(0x041B, QByteArray(8, '\0'), mots);
    for (int i = 0; i < 50; ++i)
        e.rectangle(QRect(500, 0, 500, 1000));
    const wmf::ResultatWmf r = wmf::rendre(e.octets(), QSize(100, 100));
    // Playback stops at the bad record: what came before stays, nothing after.
    QVERIFY(r.ok());
    QVERIFY(!r.erreur.isEmpty());
    QCOMPARE(r.image.pixel(25, 50), qRgb(0, 0, 0));
    QCOMPARE(r.image.pixel(75, 50), qRgb(255, 255, 255));
}

void TestRobustesse::indexDObjetHorsTable()
{
    EcrivainWmf e = moitieNoire();
    e.nbObjets(4);
    for (const int i : {4, 500, 65535, -1})
        e.selectionner(i).supprimer(i);
    e.enregistrement(0x012C, {200}); // a clip region that is not there
    e.rectangle(QRect(500, 0, 500, 1000)).fin();
    const wmf::ResultatWmf r = wmf::rendre(e.octets(), QSize(100, 100));
    QVERIFY(r.ok());
    QVERIFY(r.erreur.isEmpty());
    QCOMPARE(r.image.pixel(75, 50), qRgb(0, 0, 0)); // the black brush is still selected
}

void TestRobustesse::comptesDePointsMensongers()
{
    EcrivainWmf e = moitieNoire();
    e.enregistrement(0x0324, {32767, 10, 10, 900, 900});              // Polygon
    e.enregistrement(0x0325, {-5, 10, 10});                           // Polyline
    e.enregistrement(0x0538, {2, 30000, 30000, 0, 0, 1000, 0, 1000}); // PolyPolygon
    e.enregistrement(0x0538, {-1, 3});
    e.enregistrement(0x0521, {30000, 0x4141});        // TextOut
    e.enregistrement(0x0A32, {0, 0, 30000, 6, 0, 0}); // ExtTextOut
    e.fin();
    const wmf::ResultatWmf r = wmf::rendre(e.octets(), QSize(100, 100));
    QVERIFY(r.ok());
    QCOMPARE(r.image.pixel(75, 50), qRgb(255, 255, 255));
}

void TestRobustesse::bitmapsAnnoncesEnormes_data()
{
    QTest::addColumn<QByteArray>("dib");
    QTest::newRow("a million squared") << dibAnnonce(1000000, 1000000, 24, 64);
    QTest::newRow("negative width") << dibAnnonce(-20, 20, 24, 2000);
    QTest::newRow("top-down, lowest height") << dibAnnonce(20, INT_MIN + 1, 8, 64);
    QTest::newRow("64k by 64k, one bit, no rows") << dibAnnonce(65536, 65536, 1, 4);
    QTest::newRow("header larger than the record") << QByteArray::fromHex("00100000") + QByteArray(40, '\1');
    QTest::newRow("odd depth") << dibAnnonce(8, 8, 7, 64);
    QTest::newRow("run lengths of a huge bitmap")
        << dibAnnonce(9000, 9000, 8, 0).replace(16, 4, QByteArray::fromHex("01000000")) + QByteArray(60, '\0');
}

void TestRobustesse::bitmapsAnnoncesEnormes()
{
    QFETCH(QByteArray, dib);
    EcrivainWmf e = moitieNoire();
    e.brut(0x0F43, stretchDibBrut(dib, 50, 50));
    e.brut(0x0142, QByteArray::fromHex("05000000") + dib); // DIBCreatePatternBrush
    e.selectionner(2).rectangle(QRect(500, 0, 500, 1000)).fin();
    const wmf::ResultatWmf r = wmf::rendre(e.octets(), QSize(100, 100));
    QVERIFY(r.ok());
    QCOMPARE(r.image.pixel(25, 50), qRgb(0, 0, 0));
}

void TestRobustesse::chaqueTroncatureEstSure()
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(Qt::green);
    EcrivainWmf e = moitieNoire();
    e.police(-100, "Arial").selectionner(2).texte(QPoint(600, 100), "Abc");
    e.stretchDib(QRect(600, 600, 300, 300), img).ellipse(QRect(0, 0, 300, 300)).fin();
    const QByteArray complet = e.octets();
    for (int n = 0; n <= complet.size(); ++n) {
        const wmf::ResultatWmf r = wmf::rendre(complet.left(n), QSize(40, 40));
        QVERIFY2(r.ok() || !r.erreur.isEmpty(), qPrintable(QString::number(n)));
    }
}

void TestRobustesse::entreesDeRegression_data()
{
    // Inputs that once broke the reader, named after the fault they caught.
    QTest::addColumn<QString>("chemin");
    const QDir dossier(QFINDTESTDATA("data"));
    const QStringList fichiers = dossier.entryList({QStringLiteral("*.wmf")}, QDir::Files);
    for (const QString& f : fichiers)
        QTest::newRow(qPrintable(f)) << dossier.filePath(f);
    if (fichiers.isEmpty())
        QTest::newRow("none") << QString();
}

void TestRobustesse::entreesDeRegression()
{
    QFETCH(QString, chemin);
    if (chemin.isEmpty())
        QSKIP("no regression input yet");
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray octets = f.readAll();
    wmf::lireInfo(octets);
    const wmf::ResultatWmf r = wmf::rendre(octets, QSize(160, 120));
    QVERIFY(r.ok() || !r.erreur.isEmpty());
}

QTEST_MAIN(TestRobustesse)
#include "tst_robustesse.moc"
