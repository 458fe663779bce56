// The centred display: fitting and centring in the box, the hourglass, the
// formats the browser promises, unreadable files and the full-screen hand-off.
#include "app/general.h"
#include "core/reglages.h"
#include "app/twips.h"
#include "commun/connexionsrompues.h"
#include "commun/environnement.h"
#include "fullscreen/passageplein.h"
#include "fullscreen/pleinecran.h"
#include "main_window/navigateur.h"

#include <QBuffer>
#include <QListView>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(QRectF)

namespace {
struct Banc : Environnement {
    QWidget fenetre;
    QStringList legendes;
    int passages = 0, boutonsImage = 0;
    std::function<void()> passage; // the full-screen hand-off, when a test wants a real one
    std::unique_ptr<Navigateur> nav;

    Banc()
    {
        fenetre.resize(twips::taille(10455, 6945));
        nav = std::make_unique<Navigateur>(g, &fenetre);
        QObject::connect(nav.get(), &Navigateur::legendeChangee, [this](const QString& s) { legendes << s; });
        QObject::connect(nav.get(), &Navigateur::imageAffichee, [this](bool ok) { boutonsImage += ok; });
        QObject::connect(nav.get(), &Navigateur::pleinEcranDemande, [this] {
            ++passages;
            if (passage)
                passage();
        });
    }
    QWidget* image1() { return fenetre.findChild<QWidget*>(QStringLiteral("Image1")); }
    // Shows `chemin` as the command line does and tells whether it was drawn.
    bool montrer(const QString& chemin)
    {
        QSignalSpy spy(nav.get(), &Navigateur::imageAffichee);
        if (!nav->ouvrirFichier(chemin) || !spy.wait(10000))
            return false;
        return spy.first().first().toBool();
    }
};

void ecrire(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
}

template <class T>
void ajouter(QByteArray& o, T v)
{
    v = qToLittleEndian(v);
    o.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// An 8-bit BMP compressed in runs (BI_RLE8): the top half in palette entry 1,
// the bottom half in entry 2.
QByteArray bmpRle8(int largeur, int hauteur, QRgb haut, QRgb bas)
{
    QByteArray donnees;
    for (int y = 0; y < hauteur; ++y) { // bottom row first
        const char index = y < hauteur / 2 ? 2 : 1;
        for (int reste = largeur; reste > 0; reste -= 255) {
            donnees.append(char(qMin(reste, 255)));
            donnees.append(index);
        }
        donnees.append(2, '\0'); // end of line
    }
    donnees.append('\0').append('\1'); // end of bitmap
    QByteArray o("BM");
    const quint32 palette = 256 * 4, debut = 14 + 40 + palette;
    ajouter<quint32>(o, debut + donnees.size());
    ajouter<quint32>(o, 0);
    ajouter<quint32>(o, debut);
    for (quint32 v : {40u, quint32(largeur), quint32(hauteur)})
        ajouter<quint32>(o, v);
    ajouter<quint16>(o, 1);
    ajouter<quint16>(o, 8);
    for (quint32 v : {1u, quint32(donnees.size()), 2835u, 2835u, 256u, 0u})
        ajouter<quint32>(o, v);
    for (int i = 0; i < 256; ++i)
        ajouter<quint32>(o, i == 1 ? haut & 0xffffff : i == 2 ? bas & 0xffffff : 0);
    return o + donnees;
}

// A GIF whose left half is `couleur` and right half transparent. Codes stay 3
// bits wide: a clear code comes before the table would grow.
QByteArray gifDemiTransparent(int largeur, int hauteur, QRgb couleur)
{
    QByteArray o("GIF89a");
    ajouter<quint16>(o, largeur);
    ajouter<quint16>(o, hauteur);
    o.append(char(0x80)).append('\0').append('\0');
    o.append(char(qRed(couleur))).append(char(qGreen(couleur))).append(char(qBlue(couleur)));
    o.append(3, '\0');
    o.append("\x21\xF9\x04\x01\x00\x00\x01\x00", 8); // index 1 is transparent
    o.append(',');
    ajouter<quint32>(o, 0);
    ajouter<quint16>(o, largeur);
    ajouter<quint16>(o, hauteur);
    o.append('\0').append('\2');
    QList<int> codes;
    for (int i = 0; i < largeur * hauteur; ++i) {
        if (i % 2 == 0)
            codes << 4;
        codes << (i % largeur < largeur / 2 ? 0 : 1);
    }
    codes << 5;
    QByteArray lzw;
    quint32 acc = 0;
    int bits = 0;
    for (int c : codes) {
        acc |= quint32(c) << bits;
        bits += 3;
        for (; bits >= 8; bits -= 8, acc >>= 8)
            lzw.append(char(acc & 0xff));
    }
    if (bits > 0)
        lzw.append(char(acc & 0xff));
    for (int i = 0; i < lzw.size(); i += 255)
        o.append(char(qMin<qsizetype>(255, lzw.size() - i))).append(lzw.mid(i, 255));
    o.append('\0').append(';');
    return o;
}

QImage uni(int l, int h, QColor c)
{
    QImage i(l, h, QImage::Format_RGB32);
    i.fill(c);
    return i;
}
} // namespace

class TestAffichage : public QObject {
    Q_OBJECT
private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase();
    void ajustementEtCentrage_data();
    void ajustementEtCentrage();
    void sablierPendantLeChargement();
    void fichierIlliscible();
    void rleEtDib();
    void transparenceSurLaVisualisation();
    void decodeALaTailleDeLaBoite();
    void clicSurLImage();
    void fichierHorsMotif();
    void derniereDemandeGagne();
    void demandeAvantLaListe();
    void retourDuPleinEcranSurLaDerniereImage();
    void nomQuiNEstPasUtf8();
    void nomFichierR();

private:
    QTemporaryDir dossier_;
    QString d(const QString& nom) const { return dossier_.filePath(nom); }
};

void TestAffichage::initTestCase()
{
    QVERIFY(dossier_.isValid());
}

void TestAffichage::ajustementEtCentrage_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QRectF>("attendu");
    // The box is 3120, 630, 6735 × 5055 twips; a pixel is 15 twips.
    QTest::newRow("deux fois plus large") << QSize(898, 337) << QRectF(3120, 630 + 1263.75, 6735, 2527.5);
    QTest::newRow("deux fois plus haute") << QSize(134, 674) << QRectF(3120 + 2865, 630, 1005, 5055);
    QTest::newRow("la boîte exactement") << QSize(449, 337) << QRectF(3120, 630, 6735, 5055);
    QTest::newRow("petite, centrée") << QSize(100, 50) << QRectF(3120 + 2617.5, 630 + 2152.5, 1500, 750);
}

void TestAffichage::ajustementEtCentrage()
{
    QFETCH(QSize, pixels);
    QFETCH(QRectF, attendu);
    const QString chemin = d(QStringLiteral("a%1x%2.bmp").arg(pixels.width()).arg(pixels.height()));
    QVERIFY(uni(pixels.width(), pixels.height(), Qt::red).save(chemin, "BMP"));
    Banc b;
    QVERIFY(b.montrer(chemin));
    QCOMPARE(b.nav->rectangleImage(), attendu);
    QCOMPARE(b.image1()->geometry(), twips::rect(attendu.x(), attendu.y(), attendu.width(), attendu.height()));
    QVERIFY(!b.image1()->isHidden());
    QCOMPARE(b.boutonsImage, 1);
    QCOMPARE(b.legendes.last(), QStringLiteral("          ") + QFileInfo(chemin).completeBaseName());
}

void TestAffichage::sablierPendantLeChargement()
{
    const QString chemin = d(QStringLiteral("sablier.bmp"));
    QVERIFY(uni(20, 20, Qt::blue).save(chemin, "BMP"));
    Banc b;
    QSignalSpy spy(b.nav.get(), &Navigateur::imageAffichee);
    b.g.modele.setFichierCourant(chemin); // shown as the current picture changes
    QCOMPARE(b.services.sabliers, 1);
    QVERIFY(b.image1()->isHidden());
    b.nav->AfficheImage(); // a second request while the first runs: still one hourglass
    QCOMPARE(b.services.sabliers, 1);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(b.services.sabliers, 0);
}

void TestAffichage::fichierIlliscible()
{
    const QString bon = d(QStringLiteral("bon.bmp"));
    const QString casse = d(QStringLiteral("cassé.jpg"));
    QVERIFY(uni(40, 30, Qt::green).save(bon, "BMP"));
    ecrire(casse, QByteArray("\xFF\xD8\xFF\xE0 ceci n'est pas une image", 30));
    Banc b;
    QVERIFY(b.montrer(bon));
    QVERIFY(!b.image1()->isHidden());
    QVERIFY(!b.montrer(casse));
    QVERIFY(b.image1()->isHidden());
    QVERIFY(b.nav->imageCourante().isNull());
    QCOMPARE(b.services.sabliers, 0);
    QCOMPARE(b.boutonsImage, 1);
    QCOMPARE(b.services.boites.size(), 0);
    QCOMPARE(b.g.FichierCourant(), casse);
}

void TestAffichage::rleEtDib()
{
    const QRgb rouge = qRgb(200, 20, 20), bleu = qRgb(20, 20, 200);
    ecrire(d(QStringLiteral("runs.rle")), bmpRle8(300, 10, rouge, bleu));
    QVERIFY(uni(30, 20, QColor(10, 150, 10)).save(d(QStringLiteral("vert.dib")), "BMP"));
    Banc b;
    QVERIFY(b.montrer(d(QStringLiteral("runs.rle"))));
    QCOMPARE(b.nav->rectangleImage().size(), QSizeF(4500, 150));
    const QImage rle = b.nav->imageCourante();
    QCOMPARE(rle.pixel(rle.width() / 2, 1), rouge);
    QCOMPARE(rle.pixel(rle.width() / 2, rle.height() - 2), bleu);

    QVERIFY(b.montrer(d(QStringLiteral("vert.dib"))));
    QCOMPARE(b.nav->rectangleImage().size(), QSizeF(450, 300));
    QCOMPARE(b.nav->imageCourante().pixel(5, 5), qRgb(10, 150, 10));
}

void TestAffichage::transparenceSurLaVisualisation()
{
    ecrire(d(QStringLiteral("demi.gif")), gifDemiTransparent(8, 4, qRgb(250, 0, 0)));
    Banc b;
    b.g.Couleurs[Role::Visualisation] = QStringLiteral("7377112"); // red 216, green 144, blue 112
    QVERIFY(b.montrer(d(QStringLiteral("demi.gif"))));
    const QImage i = b.nav->imageCourante();
    QCOMPARE(i.size(), QSize(8, 4));
    QCOMPARE(i.pixel(1, 1), qRgb(250, 0, 0));
    QCOMPARE(i.pixel(6, 2), qRgb(216, 144, 112));
}

void TestAffichage::decodeALaTailleDeLaBoite()
{
    const QString chemin = d(QStringLiteral("grande.jpg"));
    QVERIFY(uni(2400, 1800, QColor(90, 90, 160)).save(chemin, "JPG"));
    Banc b;
    QVERIFY(b.montrer(chemin));
    QCOMPARE(b.nav->rectangleImage(), QRectF(3120, 630 + 1.875, 6735, 5051.25));
    // Never the natural size: at most the box in device pixels, a JPEG scale step above.
    const qreal ratio = b.fenetre.devicePixelRatioF();
    QVERIFY2(b.nav->imageCourante().width() <= 2 * 449 * ratio,
             qPrintable(QString::number(b.nav->imageCourante().width())));
}

void TestAffichage::clicSurLImage()
{
    const QString chemin = d(QStringLiteral("clic.bmp"));
    QVERIFY(uni(60, 40, Qt::yellow).save(chemin, "BMP"));
    Banc b;
    QVERIFY(b.montrer(chemin));
    QSignalSpy spy(b.nav.get(), &Navigateur::imageAffichee);
    QTest::mouseClick(b.image1(), Qt::LeftButton);
    QCOMPARE(b.passages, 1);
    QCOMPARE(b.g.DossierCourant(), dossier_.path());
    QTRY_COMPARE(spy.count(), 1); // shown again once the view has closed
    QCOMPARE(b.g.FichierCourant(), chemin);

    b.g.modele.effacerCourant();
    QTest::mouseClick(b.image1(), Qt::LeftButton);
    QCOMPARE(b.passages, 1);
}

void TestAffichage::fichierHorsMotif()
{
    const QString chemin = d(QStringLiteral("hors.gif"));
    QVERIFY(uni(30, 30, Qt::cyan).save(chemin, "BMP"));
    Banc b;
    b.g.modele.setMotif(QStringLiteral("*.jpg"));
    QVERIFY(b.montrer(chemin));
    QCOMPARE(b.g.FichierCourant(), chemin);
    // Asked for by name, it is listed too: the pattern gives way to every file.
    QTRY_VERIFY(b.nav->fichiers().contains(QStringLiteral("hors.gif")));
    QCOMPARE(b.g.modele.motif(), QStringLiteral("*.*"));
    QVERIFY(!b.nav->ouvrirFichier(d(QStringLiteral("absent.jpg"))));
}

void TestAffichage::derniereDemandeGagne()
{
    const QString grande = d(QStringLiteral("gagne1.bmp")), petite = d(QStringLiteral("gagne2.bmp"));
    QVERIFY(uni(900, 600, Qt::red).save(grande, "BMP"));
    QVERIFY(uni(10, 10, Qt::blue).save(petite, "BMP"));
    Banc b;
    QSignalSpy spy(b.nav.get(), &Navigateur::imageAffichee);
    b.g.modele.setFichierCourant(grande);
    b.g.modele.setFichierCourant(petite);
    QTRY_COMPARE(spy.count(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(b.nav->rectangleImage().size(), QSizeF(150, 150));
}

// The picture asked before its folder is listed (the command line's, decoding while the
// window is built) is the request the listing then makes: it joins that decode.
void TestAffichage::demandeAvantLaListe()
{
    const QString chemin = d(QStringLiteral("avant.bmp"));
    QVERIFY(uni(20, 20, Qt::blue).save(chemin, "BMP"));
    Banc b;
    const DemandeImage avant = Navigateur::demandeApercu(b.g, chemin, 1);
    QVERIFY(b.montrer(chemin));
    QVERIFY(b.g.modele.identite(chemin).connue());
    QVERIFY(avant == Navigateur::demandeApercu(b.g, chemin, 1));
}

void TestAffichage::nomFichierR()
{
    QCOMPARE(Navigateur::NomFichierR(QStringLiteral("/home/anne/photo.jpg"), QStringLiteral("/")),
             QStringLiteral("photo.jpg"));
    QCOMPARE(Navigateur::NomFichierR(QStringLiteral("photo.jpg"), QStringLiteral("/")), QStringLiteral("photo.jpg"));
    QCOMPARE(Navigateur::NomFichierR(QStringLiteral("/photo.jpg"), QStringLiteral("/")), QStringLiteral("photo.jpg"));
    QCOMPARE(Navigateur::NomFichierR(QStringLiteral("/home/"), QStringLiteral("/")), QString());
}

// Enter, two arrows in the viewer, Esc: the list, the caption and the preview
// all name the picture last shown, the one a delete or rename would act on.
void TestAffichage::retourDuPleinEcranSurLaDerniereImage()
{
    const QList<QColor> couleurs{Qt::red, Qt::green, Qt::blue};
    QVERIFY(QDir().mkpath(d(QStringLiteral("retour"))));
    for (int i = 0; i < 3; ++i)
        QVERIFY(uni(60, 40, couleurs[i]).save(d(QStringLiteral("retour/%1.bmp").arg(QChar('a' + i))), "BMP"));
    Banc b;
    b.fenetre.show();
    QVERIFY(b.montrer(d(QStringLiteral("retour/a.bmp"))));
    auto* file1 = b.fenetre.findChild<QListView*>(QStringLiteral("File1"));
    bool vu = false;
    b.passage = [&] {
        QTimer::singleShot(0, [&] {
            auto* v = qobject_cast<PleinEcran*>(QApplication::activeModalWidget());
            QVERIFY(v);
            auto* fichier1 = v->findChild<QWidget*>(QStringLiteral("Fichier1"));
            for (Qt::Key t : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Escape}) {
                QTRY_VERIFY(!v->imageEnAttente());
                QTest::keyClick(fichier1, t);
            }
            vu = true;
        });
        LancerPleinEcran(b.g, &b.fenetre);
    };
    QCOMPARE(file1->currentIndex().row(), 0);
    QSignalSpy affichee(b.nav.get(), &Navigateur::imageAffichee);
    QTest::keyClick(file1, Qt::Key_Return);
    QVERIFY(vu);
    QCOMPARE(b.g.FichierCourant(), d(QStringLiteral("retour/c.bmp")));
    QCOMPARE(file1->currentIndex().row(), 2);
    QCOMPARE(b.legendes.last(), QStringLiteral("          c"));
    QTRY_VERIFY(!affichee.isEmpty());
    QCOMPARE(b.nav->imageCourante().pixelColor(5, 5), QColor(Qt::blue));
}

// A name written by another system (Latin-1 "été.bmp"): listed with replacement
// characters, and selecting it shows that very file.
void TestAffichage::nomQuiNEstPasUtf8()
{
    QVERIFY(QDir().mkpath(d(QStringLiteral("latin1"))));
    const QByteArray chemin = QFile::encodeName(d(QStringLiteral("latin1"))) + "/\xE9t\xE9.bmp";
    QByteArray octets;
    QBuffer tampon(&octets);
    QVERIFY(tampon.open(QIODevice::WriteOnly));
    QVERIFY(uni(30, 20, Qt::magenta).save(&tampon, "BMP"));
    const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, octets.constData(), size_t(octets.size())), ssize_t(octets.size()));
    ::close(fd);

    Banc b;
    QSignalSpy liste(b.nav.get(), &Navigateur::listeChargee);
    QVERIFY(b.nav->ouvrirDossier(d(QStringLiteral("latin1"))));
    QTRY_COMPARE(liste.count(), 1);
    QCOMPARE(b.nav->fichiers(), QStringList{QStringLiteral("\uFFFDt\uFFFD.bmp")});
    QSignalSpy affichee(b.nav.get(), &Navigateur::imageAffichee);
    QTest::keyClick(b.fenetre.findChild<QListView*>(QStringLiteral("File1")), Qt::Key_Down);
    QTRY_COMPARE(affichee.count(), 1);
    QVERIFY(affichee.first().first().toBool());
    QCOMPARE(b.nav->imageCourante().pixelColor(5, 5), QColor(Qt::magenta));
    QCOMPARE(b.legendes.last(), QStringLiteral("          \uFFFDt\uFFFD"));
}

QTEST_MAIN(TestAffichage)
#include "tst_navigateur_affichage.moc"
