// Renders the main window and the windows it opens, as a user first sees them.
// With ORMELLE_CAPTURES set to a folder, the pictures are kept there (the README's
// screenshots, scripts/capture_ecran.sh); otherwise they go to a temporary folder.
#include "bancfenprin.h"

#include "app/fenmsgbox.h"
#include "app/traductions.h"
#include "app/skin.h"
#include "dialogs/apropos.h"
#include "dialogs/avertis.h"
#include "dialogs/conseils.h"
#include "fullscreen/pleinecran.h"
#include "main_window/miniatures.h"
#include "main_window/navigateur.h"
#include "platform/erreurs.h"
#include "commun/connexionsrompues.h"

#include <QColorDialog>
#include <QMessageBox>
#include <cerrno>

#include <QDir>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QSignalSpy>
#include <QTest>

namespace {
// A small landscape, so that the display box shows what it is for.
QImage paysage(int largeur, int hauteur, const QColor& ciel, const QColor& terre)
{
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient degrade(0, 0, 0, hauteur);
    degrade.setColorAt(0, ciel.darker(180));
    degrade.setColorAt(0.65, ciel.lighter(130));
    p.fillRect(image.rect(), degrade);
    p.setBrush(QColor(255, 220, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(largeur * 0.68, hauteur * 0.5), hauteur * 0.12, hauteur * 0.12);
    for (int couche = 0; couche < 3; ++couche) {
        QPainterPath colline;
        colline.moveTo(0, hauteur);
        for (int x = 0; x <= largeur; x += 8)
            colline.lineTo(x, hauteur * (0.62 + 0.1 * couche)
                                  + hauteur * 0.06 * std::sin(x * (0.011 + 0.004 * couche) + couche * 2.0));
        colline.lineTo(largeur, hauteur);
        p.setBrush(terre.darker(100 + 45 * couche));
        p.drawPath(colline);
    }
    return image;
}

bool nonUniforme(const QImage& image)
{
    const QRgb premier = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != premier)
                return true;
    return false;
}
} // namespace

class TestCaptures : public QObject {
    Q_OBJECT

    QTemporaryDir temporaire_;
    QTemporaryDir images_;
    QString sortie_;

    void garder(const QImage& image, const QString& nom, const QSize& attendue)
    {
        QCOMPARE(image.size() / image.devicePixelRatio(), attendue);
        QVERIFY(nonUniforme(image));
        QVERIFY(image.save(QDir(sortie_).filePath(nom)));
    }

private slots:
    void init() { echouerSurConnexionRompue(); }
    void initTestCase()
    {
        sortie_ = qEnvironmentVariable("ORMELLE_CAPTURES", temporaire_.path());
        QVERIFY(QDir().mkpath(sortie_));
        QVERIFY(paysage(900, 600, QColor(70, 120, 200), QColor(60, 140, 70)).save(images_.filePath("Collines.jpg")));
        QVERIFY(paysage(640, 480, QColor(200, 110, 60), QColor(90, 70, 60)).save(images_.filePath("Couchant.jpg")));
        QVERIFY(paysage(480, 640, QColor(40, 60, 120), QColor(30, 60, 50)).save(images_.filePath("Nuit.jpg")));
    }

    void fenetrePrincipaleEtOptions()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        b.charger(images_.filePath("Collines.jpg"));
        QTRY_VERIFY(b.fen->navigateur()->imageCourante().width() > 0);
        QTRY_VERIFY(!b.fen->navigateur()->fichiers().isEmpty());
        // The pointer rests over a band, so that no button shows its highlight.
        QTest::mouseMove(b.fen.get(), QPoint(690, 300));
        garder(b.fen->grab().toImage(), QStringLiteral("fenetre-principale.png"), QSize(697, 463));

        QTest::mouseClick(b.controle("CmdApropos"), Qt::LeftButton);
        garder(b.fen->grab().toImage(), QStringLiteral("panneau-options.png"), QSize(697, 463));
    }

    // The thumbnail page on a folder of landscapes, a full grid beside its column.
    void pageDesMiniatures()
    {
        QTemporaryDir photos(QDir::tempPath() + QStringLiteral("/Paysages-XXXXXX"));
        for (int i = 0; i < 9; ++i) {
            const QColor ciel = QColor::fromHsv((200 + i * 23) % 360, 150, 210);
            const QColor terre = QColor::fromHsv((90 + i * 17) % 360, 160, 150);
            const QSize taille = i % 3 == 2 ? QSize(480, 640) : QSize(640, 480);
            QVERIFY(paysage(taille.width(), taille.height(), ciel, terre)
                        .save(photos.filePath(QStringLiteral("Paysage %1.jpg").arg(i + 1))));
        }
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        b.charger(photos.path());
        QTRY_COMPARE(b.fen->navigateur()->fichiers().size(), 9);
        QTest::mouseClick(b.controle("CmdMiniatures"), Qt::LeftButton);
        QTest::mousePress(b.controle<QListWidget>("Dir1")->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        Miniatures& m = *b.fen->miniatures();
        QTRY_VERIFY(m.pageComplete() && m.pages().NbMiniatures() == 9);
        QTest::mouseClick(m.Image2[8], Qt::LeftButton, {}, QPoint(3, 3)); // pictures 1 to 9
        QTRY_VERIFY(m.pageComplete());
        QTest::mouseMove(b.fen.get(), QPoint(690, 300));
        garder(b.fen->grab().toImage(), QStringLiteral("miniatures.png"), QSize(697, 463));
    }

    void messageDeDemarrage()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        b.ecrire(cles::SectionDossier, cles::CleDossier, images_.filePath(QStringLiteral("Disparu")));
        b.charger();
        QTest::mouseMove(b.fen.get(), QPoint(690, 300));
        QVERIFY(b.controle("FondMessage")->isVisible());
        garder(b.fen->grab().toImage(), QStringLiteral("message-demarrage.png"), QSize(697, 463));
    }

    void fenetresOuvertesAuDemarrage()
    {
        BancFenPrin b;
        b.charger();
        Avertis avertis(*b.g, b.fen.get());
        garder(avertis.grab().toImage(), QStringLiteral("avertissement.png"), QSize(537, 345));
        Conseils conseils(*b.g, b.fen.get());
        garder(conseils.grab().toImage(), QStringLiteral("conseils.png"), QSize(392, 240));
    }

    // The about window once its first lines have risen into view.
    void aPropos()
    {
        BancFenPrin b;
        b.charger();
        Apropos a(*b.g, b.fen.get());
        a.minuterie()->stop();
        a.show();
        for (int i = 0; i < a.vue()->height(); ++i)
            a.defiler();
        garder(a.grab().toImage(), QStringLiteral("a-propos.png"), QSize(356, 237));
    }

    // The hand-offs on a desktop with neither a paint program nor a file manager.
    void programmesAbsents()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        b.charger(images_.filePath("Collines.jpg"));
        QTRY_VERIFY(b.fen->navigateur()->imageCourante().width() > 0);
        QTest::mouseClick(b.controle("CmdPaint"), Qt::LeftButton);
        QTest::mouseMove(b.fen.get(), QPoint(690, 300));
        garder(b.fen->grab().toImage(), QStringLiteral("message-dessin.png"), QSize(697, 463));
        QTest::mouseClick(b.controle("CmdExplorer"), Qt::LeftButton);
        QTest::mouseMove(b.fen.get(), QPoint(690, 300));
        garder(b.fen->grab().toImage(), QStringLiteral("message-gestionnaire.png"), QSize(697, 463));
    }

    void boiteDeMessage()
    {
        BancFenPrin b;
        b.charger();
        FenMsgBox boite(*b.g, b.fen.get(), 1);
        boite.setTitre(QStringLiteral("DÉSINSTALLATION"));
        boite.setTexte(QStringLiteral(
            "Cette opération ne devrait être effectuée que si vous souhaitez désinstaller le programme.\n"
            "Etes-vous sûr(e) de vouloir supprimer la clé d'enregistrement des données d'initialisation dans le "
            "fichier de réglages ?"));
        const QImage image = boite.grab().toImage();
        QVERIFY(nonUniforme(image));
        QVERIFY(image.save(QDir(sortie_).filePath(QStringLiteral("boite-message.png"))));
    }

    // The longest failures, whole in both message panels.
    // Closed while a picture is being copied: the copy's answer finds no window to call.
    void fermeePendantUneCopie()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        b.charger(images_.filePath("Collines.jpg"));
        QTRY_VERIFY(b.fen->navigateur()->imageCourante().width() > 0);
        QTest::mouseClick(b.controle("CmdCopImg"), Qt::LeftButton);
        b.fen.reset();
        QTRY_VERIFY(b.g->images.enCours() == 0 && b.g->images.enAttente() == 0);
        QCoreApplication::processEvents();
        QCOMPARE(b.services.images.size(), 1); // emptied when asked, never filled
    }

    void messagesLongs()
    {
        BancFenPrin b;
        b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
        b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        b.charger(images_.filePath("Couchant.jpg"));
        QTRY_VERIFY(b.fen->navigateur()->imageCourante().width() > 0);
        b.fen->afficherMessage(
            QStringLiteral("Erreur"),
            QStringLiteral("L'image n'a pas été envoyée dans la Corbeille :\n%1.").arg(texteErreurSysteme(EIO)));
        QTest::mouseMove(b.fen.get(), QPoint(690, 300));
        garder(b.fen->grab().toImage(), QStringLiteral("message-long.png"), QSize(697, 463));

        PleinEcran vue(*b.g);
        vue.setTailleEcranForcee(QSize(800, 600));
        vue.show();
        QTRY_VERIFY(!vue.imageEnAttente());
        vue.afficherMessage(QStringLiteral("Enregistrer : Erreur d'accès !"),
                            QStringLiteral("Il est probable que vous tentez d'écrire sur un support protégé en "
                                           "écriture : CD ou DVD par exemple...\nEn principe, vous devriez utiliser "
                                           "le disque dur (éventuellement ZIP,  SyQuest...)."),
                            true, 21);
        garder(vue.grab().toImage(), QStringLiteral("message-plein-ecran.png"), QSize(800, 600));
    }

    // Qt's own dialogs speak French like the rest: the colour dialog and the drive question.
    void dialoguesDeQtEnFrancais()
    {
        if (!chargerTraductionsQt(*QCoreApplication::instance()))
            QSKIP("Qt's French catalogue is not installed (qt6-translations-l10n)");
        QColorDialog couleur(QColor(0, 128, 128));
        couleur.setOption(QColorDialog::DontUseNativeDialog);
        couleur.show();
        QVERIFY(QTest::qWaitForWindowExposed(&couleur));
        const QImage imageCouleur = couleur.grab().toImage();
        QVERIFY(nonUniforme(imageCouleur));
        QVERIFY(imageCouleur.save(QDir(sortie_).filePath(QStringLiteral("dialogue-couleur.png"))));

        QMessageBox question(QMessageBox::Warning, QStringLiteral("Ormelle"),
                             texteErreurSysteme(ENOENT, ObjetErreur::Dossier) + QStringLiteral("\n/media/cle"),
                             QMessageBox::Retry | QMessageBox::Cancel);
        question.show();
        QVERIFY(QTest::qWaitForWindowExposed(&question));
        const QImage imageQuestion = question.grab().toImage();
        QVERIFY(nonUniforme(imageQuestion));
        QVERIFY(imageQuestion.save(QDir(sortie_).filePath(QStringLiteral("question-lecteur.png"))));
    }
};

QTEST_MAIN(TestCaptures)
#include "tst_captures.moc"
