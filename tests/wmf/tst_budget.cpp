// Metafiles made to cost gigabytes or minutes: objects alive at once and drawing
// work stay within the decoding budget, and what was drawn before it ran out is shown.
#include "commun/connexionsrompues.h"
#include "commun/sondememoire.h"
#include "outilstest.h"

#include "platform/chargeurimage.h"
#include "platform/dimensionsimage.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include "commun/fichiershostiles.h"

#include <QtTest>
#include <atomic>
#include <thread>

using namespace wmftest;

namespace {

const QSize Ecran(1920, 1080);

void ajouter16(QByteArray& o, int v)
{
    o.append(char(v & 0xFF));
    o.append(char((v >> 8) & 0xFF));
}
void ajouter32(QByteArray& o, quint32 v)
{
    ajouter16(o, int(v & 0xFFFF));
    ajouter16(o, int(v >> 16));
}

// A DIB pattern brush announcing 1024x1024 pixels at 1 bit with a single row of bits:
// 200 bytes of file that would each cost 4 MB once decoded.
QByteArray brosseMotifCreuse()
{
    QByteArray p;
    ajouter16(p, 5); // BS_DIBPATTERN
    ajouter16(p, 0); // DIB_RGB_COLORS
    ajouter32(p, 40);
    ajouter32(p, 1024);
    ajouter32(p, 1024);
    ajouter16(p, 1);
    ajouter16(p, 1);
    p.append(QByteArray(24, '\0'));
    ajouter32(p, 0x00FF8000); // orange for the rows left out, then black
    ajouter32(p, 0);
    p.append(QByteArray(128, '\x55'));
    return p;
}

QByteArray brossesCreuses(int n)
{
    EcrivainWmf e = feuille();
    e.nbObjets(qMin(n + 1, 65535));
    for (int i = 0; i < n; ++i)
        e.brut(0x0142, brosseMotifCreuse());
    e.selectionner(0).rectangle(QRect(0, 0, 1000, 1000));
    return e.fin().octets();
}

QByteArray ellipses(int n)
{
    EcrivainWmf e = feuille();
    e.brosse(0, Qt::blue).selectionner(0);
    for (int i = 0; i < n; ++i)
        e.ellipse(QRect(-200 + i % 7, -200, 1400, 1400));
    return e.fin().octets();
}

// A dashed pen along a polyline that swings across the whole coordinate range.
QByteArray polyligneExtreme()
{
    EcrivainWmf e;
    e.placeable(QRect(0, 0, 1000, 1000), 1000);
    e.plume(1, 1, Qt::black).selectionner(0);
    QByteArray p;
    const int n = 16000;
    ajouter16(p, n);
    for (int i = 0; i < n; ++i) {
        ajouter16(p, i % 2 ? 32767 : -32768);
        ajouter16(p, i % 4 < 2 ? -32768 : 32767);
    }
    e.brut(0x0325, p);
    return e.fin().octets();
}

// Creations and deletions that keep the table nearly full, so that every new object
// needs the one free slot.
QByteArray objetsEnRafale(int paires)
{
    EcrivainWmf e = feuille();
    e.nbObjets(65535);
    for (int i = 0; i < 65534; ++i)
        e.brosse(0, Qt::red);
    for (int i = 0; i < paires; ++i)
        e.brosse(0, QColor(i % 256, 0, 0)).supprimer(65534);
    return e.fin().octets();
}

// One region of `n` rectangles, each a little lower and further right than the one
// before: their union splits into about n² rectangles.
QByteArray regionEnEscalier(int n)
{
    QByteArray p(10, '\0');
    ajouter16(p, n);
    ajouter16(p, 4);
    for (const int v : {0, 0, 2 * n + 1, 2 * n + 1000})
        ajouter16(p, v);
    for (int i = 0; i < n; ++i) {
        for (const int v : {2, i, i + 1000, 2 * i, 2 * i + 1, 2})
            ajouter16(p, v);
    }
    EcrivainWmf e = feuille();
    e.brut(0x06FF, p);
    return e.fin().octets();
}

// A clip riddled with holes, then a hole made and undone again and again: each
// time the painter is handed the whole region.
QByteArray clipTroue()
{
    EcrivainWmf e = feuille();
    for (int y = 0; y < 1000; y += 25)
        for (int x = 0; x < 1000; x += 25)
            e.enregistrement(0x0415, {qint16(y + 10), qint16(x + 10), qint16(y), qint16(x)});
    for (int i = 0; i < 2000; ++i)
        e.sauverDc().enregistrement(0x0415, {507, 507, 506, 506}).restaurerDc(-1);
    return e.fin().octets();
}

// A window one unit high stretched over the picture: a filled triangle whose edges
// run some 3,000 picture heights above and below it.
QByteArray polygoneDemesure(const QVector<QPoint>& points)
{
    EcrivainWmf e = feuille();
    e.fenetre(QPoint(0, 0), QPoint(1000, 1));
    e.brosse(0, Qt::blue).selectionner(0);
    e.polygone(points);
    return e.fin().octets();
}

// 400 teeth, each running 30 picture heights above and below it.
QVector<QPoint> dentsDeScie()
{
    QVector<QPoint> points;
    for (int i = 0; i < 400; ++i)
        points << QPoint(i * 1000 / 400, i % 2 ? 30 : -30);
    return points;
}

QByteArray jpegProgressifAnnoncant(QSize annonce)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray o;
    QBuffer tampon(&o);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter ecrivain(&tampon, "jpeg");
    ecrivain.setProgressiveScanWrite(true);
    ecrivain.write(image);
    const int i = int(o.indexOf("\xFF\xC2"));
    qToBigEndian<quint16>(quint16(annonce.height()), o.data() + i + 5);
    qToBigEndian<quint16>(quint16(annonce.width()), o.data() + i + 7);
    return o;
}

// StretchDIBits whose bitmap is a JPEG (BI_JPEG), after a rectangle drawn first.
QByteArray wmfAvecJpeg(QSize annonce)
{
    const QByteArray jpeg = jpegProgressifAnnoncant(annonce);
    EcrivainWmf e = feuille();
    e.brosse(0, Qt::red).selectionner(0).rectangle(QRect(0, 0, 500, 500));
    QByteArray p;
    ajouter32(p, 0x00CC0020);
    for (const int v : {0, 16, 16, 0, 0, 1000, 1000, 0, 0})
        ajouter16(p, v);
    // The bitmap header claims the 16x16 the JPEG really holds; the JPEG's own header lies.
    ajouter32(p, 40);
    ajouter32(p, 16);
    ajouter32(p, 16);
    ajouter16(p, 1);
    ajouter16(p, 0);
    ajouter32(p, 4); // BI_JPEG
    ajouter32(p, quint32(jpeg.size()));
    p.append(QByteArray(16, '\0'));
    p.append(jpeg);
    e.brut(0x0F43, p);
    return e.fin().octets();
}

} // namespace

class TestBudget : public QObject {
    Q_OBJECT

    QTemporaryDir m_dossier;

    QString fichier(const QString& nom, const QByteArray& octets) { return ecrireHostile(m_dossier, nom, octets); }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase() { QVERIFY(m_dossier.isValid()); }

    void brossesVivantesBornees()
    {
        const dimensions::Budget b = dimensions::budgetPour(Ecran);
        for (int n : {500, 65535}) {
            const wmf::ResultatWmf r = wmf::rendre(brossesCreuses(n), Ecran, Qt::white, b);
            QVERIFY2(r.ok(), qPrintable(r.erreur));
            QVERIFY(r.octetsObjetsMax <= b.octetsObjetsWmf);
            QVERIFY(r.octetsObjetsMax > b.octetsObjetsWmf / 2); // the patterns did take their room
        }
        // The first brush still has its pattern (orange), not the plain black stand-in.
        const QImage img = wmf::rendre(brossesCreuses(500), QSize(64, 64), Qt::white).image;
        QCOMPARE(QColor(img.pixel(32, 32)), QColor(255, 128, 0));
    }

    // The region is cut down to its box before its rectangles pass what the table has
    // left, and building it is paid as work.
    void regionConstruiteDansLeBudget_data()
    {
        QTest::addColumn<qint64>("octetsObjets");
        QTest::addColumn<qint64>("travail");
        QTest::newRow("objets") << qint64(2 << 20) << qint64(100'000'000);
        QTest::newRow("travail") << qint64(96 << 20) << qint64(2'000'000);
    }

    void regionConstruiteDansLeBudget()
    {
        QFETCH(qint64, octetsObjets);
        QFETCH(qint64, travail);
        dimensions::Budget b = dimensions::budgetPour(Ecran);
        b.octetsObjetsWmf = octetsObjets;
        b.travailWmf = travail;
        const wmf::ResultatWmf r = wmf::rendre(regionEnEscalier(600), QSize(100, 100), Qt::white, b);
        QVERIFY2(r.octetsObjetsMax <= b.octetsObjetsWmf, qPrintable(QString::number(r.octetsObjetsMax)));
        QVERIFY2(r.travail <= b.travailWmf, qPrintable(QString::number(r.travail)));
        QCOMPARE(r.budgetAtteint, travail < 10'000'000);
    }

    void clipsRepetesComptes()
    {
        dimensions::Budget b = dimensions::budgetPour(Ecran);
        b.travailWmf = 2'000'000;
        const wmf::ResultatWmf r = wmf::rendre(clipTroue(), Ecran, Qt::white, b);
        QVERIFY(r.budgetAtteint);
        QVERIFY(r.travail <= b.travailWmf);
    }

    // Each edge is rasterized through every scanline it spans off the picture, once
    // for each band of the picture's cells.
    void remplissageHorsCadreCompte_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<qint64>("travail");
        QTest::newRow("triangle") << polygoneDemesure({QPoint(0, -3000), QPoint(1000, 3000), QPoint(500, -3000)})
                                  << qint64(5'000'000);
        QTest::newRow("dents de scie") << polygoneDemesure(dentsDeScie()) << qint64(40'000'000);
    }

    void remplissageHorsCadreCompte()
    {
        QFETCH(QByteArray, octets);
        QFETCH(qint64, travail);
        dimensions::Budget b = dimensions::budgetPour(Ecran);
        b.travailWmf = travail;
        const wmf::ResultatWmf r = wmf::rendre(octets, QSize(100, 100), Qt::white, b);
        QVERIFY(r.budgetAtteint);
        QVERIFY(r.travail <= b.travailWmf);
    }

    // Cancelled from another thread as playback starts: it stops before the next record.
    void annuleeEnCours()
    {
        const dimensions::Budget b = dimensions::budgetPour(Ecran);
        std::atomic<bool> annulation{false};
        std::thread annuleur([&annulation] { annulation = true; });
        const wmf::ResultatWmf r = wmf::rendre(ellipses(100'000), Ecran, Qt::white, b, &annulation);
        annuleur.join();
        QVERIFY(r.annule);
        QVERIFY(!r.ok());
        QVERIFY2(r.travail < b.travailWmf / 4, qPrintable(QString::number(r.travail)));
    }

    void travailBorneEtDebutMontre()
    {
        const dimensions::Budget b = dimensions::budgetPour(Ecran);
        const wmf::ResultatWmf r = wmf::rendre(ellipses(100'000), Ecran, Qt::white, b);
        QVERIFY(r.budgetAtteint);
        QVERIFY(r.travail <= b.travailWmf);
        QVERIFY(r.ok());
        QCOMPARE(QColor(r.image.pixel(960, 540)), QColor(Qt::blue));
        // A picture within its budget is drawn whole.
        const wmf::ResultatWmf petite = wmf::rendre(ellipses(20), Ecran, Qt::white, b);
        QVERIFY(!petite.budgetAtteint);
        QVERIFY(petite.erreur.isEmpty());
    }

    void tiretsHorsCadreComptes()
    {
        const dimensions::Budget b = dimensions::budgetPour(Ecran);
        const wmf::ResultatWmf r = wmf::rendre(polyligneExtreme(), Ecran, Qt::white, b);
        QVERIFY(r.travail <= b.travailWmf);
        QVERIFY(r.travail < 100'000'000); // the dashes' length was not paid
        QVERIFY(r.ok());
        QVERIFY(encre(r.image).isValid());
    }

    // The slot a deletion frees is the one the next object takes, also in a full table.
    void placeLibreLaPlusBasse()
    {
        EcrivainWmf e = feuille();
        e.nbObjets(65535);
        for (int i = 0; i < 65535; ++i)
            e.brosse(0, Qt::red);
        e.supprimer(4000).supprimer(70).brosse(0, Qt::green).brosse(0, Qt::blue);
        e.brosse(0, Qt::yellow); // table full again: dropped
        e.selectionner(70).rectangle(QRect(0, 0, 500, 1000));
        e.selectionner(4000).rectangle(QRect(500, 0, 500, 1000));
        const QImage img = rendu(e.fin(), 100);
        QCOMPARE(QColor(img.pixel(20, 50)), QColor(Qt::green));
        QCOMPARE(QColor(img.pixel(80, 50)), QColor(Qt::blue));
        const wmf::ResultatWmf r = wmf::rendre(objetsEnRafale(200'000), QSize(100, 100));
        QVERIFY(r.ok());
        QVERIFY(!r.budgetAtteint);
    }

    void peakMemoire_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<bool>("image");
        QTest::newRow("500 brosses") << "brosses-500.wmf" << brossesCreuses(500) << true;
        QTest::newRow("65535 brosses") << "brosses-65535.wmf" << brossesCreuses(65535) << true;
        QTest::newRow("100000 ellipses") << "ellipses-100000.wmf" << ellipses(100'000) << true;
        QTest::newRow("polyligne extrême") << "polyligne.wmf" << polyligneExtreme() << true;
        QTest::newRow("jpeg progressif 20000²") << "jpeg-progressif.wmf" << wmfAvecJpeg({20000, 20000}) << true;
        QTest::newRow("objets en rafale")
            << "objets.wmf" << objetsEnRafale(qEnvironmentVariableIsSet("ORMELLE_HOSTILES") ? 1'500'000 : 100'000)
            << true;
    }

    void peakMemoire()
    {
        QFETCH(QString, nom);
        QFETCH(QByteArray, octets);
        QFETCH(bool, image);
        const sonde::Mesure m = sonde::mesurer(fichier(nom, octets), Ecran);
        QVERIFY2(m.lancee, "the decoding child did not finish");
        QCOMPARE(m.image, image);
        QVERIFY2(m.octetsPic < sonde::PicMax, qPrintable(QString::number(m.octetsPic >> 20) + " MiB"));
    }

    // Drawn so far but nothing yet: the loader says why.
    void tropComplexeSansRien()
    {
        dimensions::Budget b = dimensions::budgetPour(Ecran);
        b.travailWmf = 10;
        const wmf::ResultatWmf r = wmf::rendre(ellipses(50), Ecran, Qt::white, b);
        QVERIFY(r.budgetAtteint);
        QVERIFY(!r.ok());
    }
};

int main(int argc, char** argv)
{
    QGuiApplication appli(argc, argv);
    if (sonde::executerSiEnfant())
        return 0;
    TestBudget t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_budget.moc"
