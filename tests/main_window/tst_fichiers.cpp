// The file operations of the main window driven as a user does: the icon bar, the
// file menu, the clipboard and the desktop's programs, with scripted dialogs. Each
// test checks the bytes of every file involved afterwards.
#include "bancfichiers.h"

#include "commun/profilsessai.h"
#include "core/commentaires.h"
#include "main_window/miniatures.h"
#include "main_window/navigateur.h"
#include "main_window/panneaucopie.h"
#include "platform/couleurs.h"

#include <QListWidget>
#include <QSemaphore>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

class TestFichiers : public QObject, BancFichiers {
    Q_OBJECT

    // The copy is held after its first chunk while `pendant` plays the user's part.
    void tenirLaCopie(std::function<void()> pendant)
    {
        auto* panneau = b_->controle<PanneauCopie>("FondCopie");
        QVERIFY(panneau);
        panneau->setDelaiAffichage(0);
        auto tenue = std::make_shared<QSemaphore>();
        panneau->setFonctionCopie([this, tenue, pendant](const QString& s, const QString& d, OptionsCopie o) {
            const ProgressionCopie fenetre = o.progression;
            o.progression = [this, tenue, pendant, fenetre](qint64 faits, qint64 total) {
                QMetaObject::invokeMethod(b_->fen.get(), [tenue, pendant] {
                    pendant();
                    tenue->release();
                });
                tenue->acquire();
                return fenetre(faits, total);
            };
            return copierFichier(s, d, o);
        });
    }

private slots:
    void init() { preparer(); }
    void cleanup() { b_.reset(); }

    void sansSelectionChaqueOperationLeDit_data()
    {
        QTest::addColumn<QString>("bouton");
        QTest::newRow("copie") << "CmdCopFich";
        QTest::newRow("suppression") << "CmdSupFic";
        QTest::newRow("renommage") << "CmdRenommer";
    }
    void sansSelectionChaqueOperationLeDit()
    {
        QFETCH(QString, bouton);
        // A picture was shown, then another folder opened: nothing is selected any more.
        choisir(0);
        QVERIFY(b_->fen->navigateur()->ouvrirDossier(d_ + QStringLiteral("/sous")));
        QTRY_COMPARE(g().modele.IndexFichier(), qint64(-1));
        QTRY_VERIFY(!g().modele.listageEnCours());
        cliquer(bouton.toLatin1().constData());
        QVERIFY(messageVisible());
        QCOMPARE(titreMessage(), QStringLiteral("Erreur"));
        QCOMPARE(message(), QStringLiteral("Il faut sélectionner un fichier"));
        QVERIFY(!b_->controle<QLabel>("IcoFondMessage")->isEnabled());
        QCOMPARE(s().sons, QList<int>{22});
        QVERIFY(s().boites.isEmpty());
        QVERIFY(!b_->controle<QWidget>("RenommerFile")->isVisible());
        verifierIntacts();
    }

    void copieDansUnAutreDossier()
    {
        QVERIFY(commentaires::ajouter(fichierCommentaires(g(), d_), chemin(QStringLiteral("b.bmp")),
                                      QStringLiteral("Le port")));
        choisir(1);
        s().fichiers.push_back(chemin(QStringLiteral("sous/copie.bmp")));
        cliquer("CmdCopFich");
        QCOMPARE(lire(chemin(QStringLiteral("sous/copie.bmp"))), octets_.value(QStringLiteral("b.bmp")));
        // The copy takes the picture's comment along, in its own folder's file.
        QCOMPARE(commentaires::chercher(fichierCommentaires(g(), chemin(QStringLiteral("sous"))),
                                        chemin(QStringLiteral("sous/copie.bmp"))),
                 QStringLiteral("Le port"));
        QCOMPARE(s().sons, QList<int>{19});
        QVERIFY(!messageVisible());
        verifierIntacts();
        QCOMPARE(s().sabliers, 0);
        // The dialog opened in the picture's folder; the next one opens where this copy went.
        cliquer("CmdCopFich");
        QCOMPARE(s().nomsProposes,
                 QStringList({chemin(QStringLiteral("b.bmp")), chemin(QStringLiteral("sous/b.bmp"))}));
    }

    void copieSurElleMeme_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("même chemin") << "b.bmp";
        QTest::newRow("./") << "./b.bmp";
        QTest::newRow("..") << "sous/../b.bmp";
        QTest::newRow("lien") << "sous/lien.bmp";
    }
    void copieSurElleMeme()
    {
        QFETCH(QString, destination);
        QVERIFY(QFile::link(chemin(QStringLiteral("b.bmp")), chemin(QStringLiteral("sous/lien.bmp"))));
        choisir(1);
        s().fichiers.push_back(chemin(destination));
        s().reponsesBoite.push_back(-1); // yes, overwrite
        cliquer("CmdCopFich");
        QCOMPARE(s().boites.size(), 1);
        QCOMPARE(s().boites.at(0).first, QStringLiteral("Existe déjà"));
        QCOMPARE(s().boites.at(0).second, QStringLiteral("Une image portant ce nom existe déjà dans le dossier.\n"
                                                         "Voulez-vous l'écraser ?"));
        QVERIFY(messageVisible());
        QCOMPARE(titreMessage(), QStringLiteral("Petite erreur !"));
        QCOMPARE(message(), QStringLiteral("Source et destination sont identiques.\n"
                                           "Il n'est pas possible de copier l'image sur elle-même ! ! !"));
        QCOMPARE(s().sons, QList<int>{21});
        verifierIntacts();
    }

    void copieRefuseeRouvreLeDialogue()
    {
        choisir(0);
        s().fichiers = {chemin(QStringLiteral("b.bmp")), chemin(QStringLiteral("c.bmp")), QString()};
        s().reponsesBoite = {0, 0};
        cliquer("CmdCopFich");
        QCOMPARE(s().boites.size(), 2);
        QVERIFY(s().fichiers.empty());
        QVERIFY(s().sons.isEmpty());
        verifierIntacts();
    }

    void ecraserDonneLesOctetsDeLaSource()
    {
        choisir(0);
        s().fichiers.push_back(chemin(QStringLiteral("d.bmp")));
        s().reponsesBoite.push_back(-1);
        cliquer("CmdCopFich");
        QCOMPARE(lire(chemin(QStringLiteral("d.bmp"))), octets_.value(QStringLiteral("a.bmp")));
        QCOMPARE(s().sons, QList<int>{19});
        verifierIntacts({QStringLiteral("d.bmp")});
        QCOMPARE(QDir(d_).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    // The copy fails half-way, as on a full disk: said, and nothing is damaged.
    void copieInterrompueDite()
    {
        QImage grande(400, 300, QImage::Format_RGB32);
        grande.fill(Qt::darkBlue);
        QVERIFY(grande.save(chemin(QStringLiteral("sous/grande.bmp")), "BMP"));
        QVERIFY(b_->fen->navigateur()->ouvrirDossier(d_ + QStringLiteral("/sous")));
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(1));
        choisir(0);
        s().fichiers.push_back(chemin(QStringLiteral("a.bmp")));
        s().reponsesBoite.push_back(-1);
        struct rlimit avant;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &avant), 0);
        const auto ancien = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limite = avant;
        limite.rlim_cur = 100000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        cliquer("CmdCopFich");
        ::setrlimit(RLIMIT_FSIZE, &avant);
        std::signal(SIGXFSZ, ancien);
        QVERIFY(messageVisible());
        QCOMPARE(titreMessage(), QStringLiteral("Erreur"));
        QCOMPARE(message(), QStringLiteral("L'image n'a pas été copiée :\nLe fichier est trop volumineux."));
        QCOMPARE(s().sons, QList<int>{21});
        verifierIntacts();
        QCOMPARE(QDir(d_).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    void copieArreteeParLUtilisateur_data()
    {
        QTest::addColumn<bool>("echap");
        QTest::newRow("bouton Annuler") << false;
        QTest::newRow("Échap") << true;
    }
    void copieArreteeParLUtilisateur()
    {
        QFETCH(bool, echap);
        choisir(0);
        QString vu;
        tenirLaCopie([&] {
            auto* panneau = b_->controle<PanneauSkin>("FondCopie");
            if (panneau->isVisible())
                vu = panneau->titre() + QLatin1Char('|') + b_->controle<QLabel>("LblCopie")->text();
            // Nothing else starts meanwhile.
            QTest::mouseClick(b_->controle<BoutonSkin>("CmdSupFic"), Qt::LeftButton);
            if (echap)
                QTest::keyClick(b_->controle<QListView>("File1"), Qt::Key_Escape);
            else
                QTest::mouseClick(b_->controle<BoutonSkin>("CmdAnnulerCopie"), Qt::LeftButton);
        });
        s().fichiers.push_back(chemin(QStringLiteral("d.bmp")));
        s().reponsesBoite.push_back(-1);
        cliquer("CmdCopFich");
        QCOMPARE(vu, QStringLiteral("Copie en cours|« d.bmp » : 0 %"));
        QVERIFY(!b_->controle<QWidget>("FondCopie")->isVisible());
        QCOMPARE(s().boites.size(), 1);
        verifierIntacts();
        QCOMPARE(QDir(d_).entryList(QDir::Files | QDir::Hidden).size(), 4);
        QVERIFY(s().sons.isEmpty());
        QVERIFY(!messageVisible());
        QCOMPARE(s().sabliers, 0);
    }

    void suppressionVaALaCorbeilleEtRemonte()
    {
        choisir(2);
        s().reponsesBoite.push_back(-1);
        cliquer("CmdSupFic");
        QCOMPARE(s().boites.value(0).first, QStringLiteral("Supprimer le fichier"));
        QCOMPARE(s().boites.value(0).second,
                 QStringLiteral("Êtes-vous sûr(e) de vouloir envoyer « c.bmp » dans la Corbeille ?"));
        QVERIFY(!QFileInfo::exists(chemin(QStringLiteral("c.bmp"))));
        const QString corbeille = donnees_.filePath(QStringLiteral("share/Trash/files/c.bmp"));
        QCOMPARE(lire(corbeille), octets_.value(QStringLiteral("c.bmp")));
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(3));
        QTRY_COMPARE(g().NomFichierCourant(), QStringLiteral("b.bmp"));
        verifierIntacts({QStringLiteral("c.bmp")});
        QVERIFY(QFile::rename(corbeille, chemin(QStringLiteral("c.bmp"))));
        QFile::remove(donnees_.filePath(QStringLiteral("share/Trash/info/c.bmp.trashinfo")));
    }

    void suppressionRefuseeLaisseLeFichier()
    {
        choisir(0);
        b_->fen->findChild<QListView*>(QStringLiteral("File1"));
        auto* file1 = b_->controle<QListView>("File1");
        QTest::mousePress(file1->viewport(), Qt::RightButton, {},
                          file1->visualRect(file1->model()->index(0, 0)).center());
        QVERIFY(b_->controle<QWidget>("FondFilePopUp")->isVisible());
        cliquer("mnuSupprimerFile");
        QVERIFY(!b_->controle<QWidget>("FondFilePopUp")->isVisible());
        QCOMPARE(s().boites.size(), 1);
        verifierIntacts();
        QTRY_COMPARE(g().NomFichierCourant(), QStringLiteral("a.bmp"));
    }

    void copieDeLImageDansLePressePapiers()
    {
        choisir(3);
        cliquer("CmdCopImg");
        QTRY_COMPARE(s().images.size(), 2);
        QVERIFY(s().images.at(0).isNull()); // emptied first
        QCOMPARE(s().images.at(1).size(), QSize(50, 25));
        QCOMPARE(s().images.at(1).pixelColor(10, 10).rgb(), QColor::fromHsv(240, 200, 200).rgb());
        QCOMPARE(s().sons, QList<int>{19});
        QTRY_COMPARE(s().sabliers, 0);
    }

    // Other programs read the clipboard as sRGB, whatever this display's profile.
    void copieEnSrgbQuelQueSoitLEcran()
    {
        couleurs::setProfilEcran(profilsessai::romm());
        const auto retour = qScopeGuard([] { couleurs::setProfilEcran({}); });
        choisir(3);
        cliquer("CmdCopImg");
        QTRY_COMPARE(s().images.size(), 2);
        QCOMPARE(s().images.at(1).pixelColor(10, 10).rgb(), QColor::fromHsv(240, 200, 200).rgb());
    }

    void imageIlliblePressePapiersVide()
    {
        QFile f(chemin(QStringLiteral("e.bmp")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BM pas une image");
        f.close();
        g().modele.relire();
        QTRY_COMPARE(g().modele.fichiers().size(), qsizetype(5));
        choisir(0);
        g().modele.selectionner(4);
        s().sons.clear();
        cliquer("CmdCopImg");
        QTRY_VERIFY(messageVisible());
        QCOMPARE(titreMessage(), QStringLiteral("Erreur"));
        QVERIFY(!message().isEmpty());
        QCOMPARE(s().images.size(), 1);
        QVERIFY(s().images.at(0).isNull());
        QCOMPARE(s().sons.last(), 21);
        QVERIFY(!s().sons.contains(19));
    }

    // The paint program opens the picture acted on, in either form; the file manager is
    // asked to show the selected picture, and xdg-open opens its folder when none answers.
    void programmesDuBureau()
    {
        s().installes = {QStringLiteral("pinta"), QStringLiteral("gimp"), QStringLiteral("xdg-open")};
        choisir(1);
        cliquer("CmdPaint");
        cliquer("CmdExplorer");
        s().gestionnaireRepond = true;
        cliquer("CmdExplorer");
        const QString adresse = QUrl::fromLocalFile(chemin(QStringLiteral("b.bmp"))).toString(QUrl::FullyEncoded);
        QCOMPARE(s().gestionnaire, (QList<QPair<QString, bool>>{{adresse, false}, {adresse, false}}));
        QCOMPARE(s().programmes, (QList<QPair<QString, QStringList>>{{"pinta", {chemin(QStringLiteral("b.bmp"))}},
                                                                     {"xdg-open", {d_}}}));

        cliquer("CmdMiniatures");
        auto* dir1 = b_->controle<QListWidget>("Dir1");
        QTest::mousePress(dir1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(fen().miniatures()->pageComplete());
        cliquer("CmdVPaint");
        QCOMPARE(s().programmes.last(),
                 qMakePair(QStringLiteral("pinta"), QStringList{chemin(QStringLiteral("a.bmp"))}));
        QVERIFY(!messageVisible());
    }

    void programmeAbsentSignale_data()
    {
        QTest::addColumn<QString>("bouton");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("texte");
        QTest::newRow("dessin") << "CmdPaint"
                                << "Programme de dessin"
                                << "Aucun n'est installé parmi :\nkolourpaint, pinta, drawing, mtpaint, gimp.";
        QTest::newRow("gestionnaire de fichiers") << "CmdExplorer"
                                                  << "Gestionnaire de fichiers"
                                                  << "Aucun n'a répondu parmi :\nFileManager1 (D-Bus), xdg-open.";
    }
    void programmeAbsentSignale()
    {
        QFETCH(QString, bouton);
        QFETCH(QString, titre);
        QFETCH(QString, texte);
        choisir(0);
        cliquer(bouton.toLatin1().constData());
        QVERIFY(messageVisible());
        QCOMPARE(titreMessage(), titre);
        QCOMPARE(message(), texte);
        QCOMPARE(s().sons, QList<int>{22});
        QCOMPARE(b_->controle<BoutonSkin>(bouton.toLatin1().constData())->infoBulle(), titre); // the button's own name
    }
};

QTEST_MAIN(TestFichiers)
#include "tst_fichiers.moc"
