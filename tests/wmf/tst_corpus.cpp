// The shared sample metafiles: each renders promptly without crash, and looks
// like the independent renderings kept beside them.
#include "comparaison.h"

#include "platform/wmf/lecteurwmf.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QtTest>

namespace {

QDir dossierDonnees()
{
    return QDir(qEnvironmentVariable("ORMELLE_TESTDATA"));
}

// Files with nothing to compare against, or whose frame no file field gives
// (the references disagree with each other on them).
const QStringList SansReferenceFiable = {
    QStringLiteral("libwmf_text"),
};

constexpr double SimilariteMin = 0.6;

} // namespace

class TestCorpus : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase();
    void chaqueFichier_data();
    void chaqueFichier();
};

void TestCorpus::initTestCase()
{
    if (!dossierDonnees().exists(QStringLiteral("wmf")))
        QSKIP("ORMELLE_TESTDATA/wmf absent");
}

void TestCorpus::chaqueFichier_data()
{
    QTest::addColumn<QString>("chemin");
    const QDir wmf(dossierDonnees().filePath(QStringLiteral("wmf")));
    for (const QString& f : wmf.entryList({QStringLiteral("*.wmf")}, QDir::Files))
        QTest::newRow(qPrintable(f)) << wmf.filePath(f);
}

void TestCorpus::chaqueFichier()
{
    QFETCH(QString, chemin);
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray octets = f.readAll();
    const QString nom = QFileInfo(chemin).completeBaseName();
    const wmf::InfoWmf info = wmf::lireInfo(octets);
    if (nom == QLatin1String("wmfpreview_not_a_wmf")) {
        QVERIFY(!info.ok);
        QCOMPARE(wmf::rendre(octets, QSize(64, 64)).erreur,
                 QStringLiteral("Ce fichier n'est pas un métafichier Windows."));
        return;
    }
    QVERIFY2(info.ok, qPrintable(info.erreur));
    QVERIFY(info.tailleNaturellePx.width() >= 1 && info.tailleNaturellePx.height() >= 1);

    // Compare with each reference at its own size; the better of the two counts,
    // since each reference renderer gets some files visibly wrong.
    const QDir refs(dossierDonnees().filePath(QStringLiteral("wmf-reference")));
    double meilleure = -1;
    QString detail;
    QImage pire;
    for (const QString& ref : {nom + ".png", "libreoffice/" + nom + ".png"}) {
        const QImage attendue(refs.filePath(ref));
        if (attendue.isNull())
            continue;
        const wmf::ResultatWmf r = wmf::rendre(octets, attendue.size());
        QVERIFY2(r.ok(), qPrintable(r.erreur));
        const double s = wmftest::similarite(r.image, attendue);
        detail += QStringLiteral(" %1=%2").arg(ref.contains('/') ? "libreoffice" : "libwmf").arg(s, 0, 'f', 3);
        if (s > meilleure) {
            meilleure = s;
            pire = wmftest::coteACote(r.image, attendue);
        }
    }
    if (meilleure < 0) {
        // No reference could draw it (a damaged file): a picture or a reason is enough.
        const wmf::ResultatWmf r = wmf::rendre(octets, QSize(320, 240));
        QVERIFY(r.ok() || !r.erreur.isEmpty());
        qInfo("%s: no reference (%s)", qPrintable(nom), qPrintable(r.erreur));
        return;
    }
    qInfo("%s: similarity %.3f (%s )", qPrintable(nom), meilleure, qPrintable(detail));
    if (meilleure < SimilariteMin && !SansReferenceFiable.contains(nom)) {
        const QString sortie = QDir::temp().filePath(nom + "-wmf-vs-reference.png");
        pire.save(sortie);
        QFAIL(qPrintable(QStringLiteral("%1 too far from its references, both written to %2").arg(nom, sortie)));
    }
}

QTEST_MAIN(TestCorpus)
#include "tst_corpus.moc"
