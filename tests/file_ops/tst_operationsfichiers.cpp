// The copy, rename and trash rules, each checked by the bytes of every file involved.
#include "file_ops/copie.h"
#include "file_ops/corbeille.h"
#include "file_ops/renommage.h"
#include "platform/nomsfichiers.h"
#include "commun/connexionsrompues.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray octets(int taille, char graine)
{
    QByteArray b(taille, Qt::Uninitialized);
    for (int i = 0; i < taille; ++i)
        b[i] = char(graine + i * 7 + (i >> 8));
    return b;
}

void ecrire(const QString& chemin, const QByteArray& contenu)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(contenu), qint64(contenu.size()));
}

QByteArray lire(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<absent>");
    return f.readAll();
}

QStringList noms(const QString& dossier)
{
    return QDir(dossier).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// By bytes, for names that are not UTF-8.
QList<QByteArray> entrees(const QByteArray& dossier)
{
    QList<QByteArray> liste;
    if (DIR* d = ::opendir(dossier.constData())) {
        while (const dirent* e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                liste.append(e->d_name);
        ::closedir(d);
    }
    return liste;
}

QByteArray lireOctets(const QByteArray& chemin)
{
    QFile f;
    return ouvrirEnLecture(f, cheminDepuisOctets(chemin)) ? f.readAll() : QByteArray("<absent>");
}

void ecrireOctets(const QByteArray& chemin, const QByteArray& contenu)
{
    const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, contenu.constData(), contenu.size()), ssize_t(contenu.size()));
    ::close(fd);
}

// The trash called in a child process: with its own environment, working folder and
// user, and ended by an alarm if it never returns, so that a loop fails the test.
struct IssueEnfant {
    bool rendu = false;           // false when it never returned (killed)
    bool sansUtilisateur = false; // the user or the working folder could not be taken
    bool reussi = false;
    QString erreur;
};
using Environnement = QList<QPair<QByteArray, QByteArray>>;
constexpr uid_t Personne = 65534;

IssueEnfant corbeilleDansUnEnfant(const QString& chemin, const Environnement& env, const QByteArray& dossierCourant,
                                  uid_t utilisateur = 0)
{
    int tube[2];
    if (::pipe(tube) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(tube[0]);
        ::alarm(60);
        for (const auto& [nom, valeur] : env)
            ::setenv(nom.constData(), valeur.constData(), 1);
        if (utilisateur != 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(utilisateur) != 0 || ::setuid(utilisateur) != 0))
            ::_exit(3);
        if (::chdir(dossierCourant.constData()) != 0)
            ::_exit(3);
        const ResultatCorbeille r = envoyerCorbeille(chemin);
        const QByteArray sortie = (r.reussi ? "1" : "0") + r.erreur.toUtf8();
        const bool ecrit = ::write(tube[1], sortie.constData(), sortie.size()) == sortie.size();
        ::_exit(ecrit ? 0 : 4);
    }
    ::close(tube[1]);
    QByteArray lu;
    char tampon[512];
    for (ssize_t n; (n = ::read(tube[0], tampon, sizeof tampon)) != 0;)
        if (n > 0)
            lu.append(tampon, n);
        else if (errno != EINTR)
            break;
    ::close(tube[0]);
    int statut = 0;
    while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(statut) && WEXITSTATUS(statut) == 3)
        return {false, true, false, {}};
    if (!WIFEXITED(statut) || WEXITSTATUS(statut) != 0 || lu.isEmpty())
        return {};
    return {true, false, lu.startsWith('1'), QString::fromUtf8(lu.mid(1))};
}

// Names the desktop restores wrongly unless the record escapes every byte, and one
// too long to take ".trashinfo" after it.
void lignesNomsDifficiles()
{
    QTest::addColumn<QByteArray>("nom");
    QTest::newRow("accents") << QByteArray("Noël à la plage.jpg");
    QTest::newRow("pour cent") << QByteArray("taux 50%41.jpg");
    QTest::newRow("%20") << QByteArray("a%20b.jpg");
    QTest::newRow("latin-1") << QByteArray("\xe9t\xe9.jpg");
    QTest::newRow("long") << QByteArray("é").repeated(125) + ".jpg";
}

// Fills a volume: one file as large as it goes, or empty files until no inode is left.
void remplir(const QByteArray& dossier, bool inodes)
{
    if (inodes) {
        int fd;
        for (int i = 0;
             (fd = ::open((dossier + '/' + QByteArray::number(i)).constData(), O_WRONLY | O_CREAT, 0644)) >= 0; ++i)
            ::close(fd);
        QCOMPARE(errno, ENOSPC);
        return;
    }
    const int fd = ::open((dossier + "/plein").constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    const QByteArray bloc(4096, 'x');
    while (::write(fd, bloc.constData(), bloc.size()) > 0) {
    }
    QCOMPARE(errno, ENOSPC);
    ::close(fd);
}

// GLib shows a byte string's bytes outside printable ASCII as "\xNN".
QByteArray sansEchappements(const QByteArray& texte)
{
    QByteArray octets;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        if (texte.mid(i, 2) == "\\x") {
            octets += char(texte.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            octets += texte[i];
        }
    }
    return octets;
}

// A small tmpfs of the test's own; false where mounting is not allowed.
bool monter(const QByteArray& dossier, const char* options)
{
    return QDir().mkpath(QFile::decodeName(dossier)) && ::mount("tmpfs", dossier.constData(), "tmpfs", 0, options) == 0;
}

// A trash record's Path, decoded; "<illisible>" unless every byte outside the
// characters of a URL path is escaped.
QByteArray cheminDuRecord(const QByteArray& info)
{
    static const QRegularExpression ligne(QStringLiteral("^Path=([A-Za-z0-9%/._~!$&'()*+,;=:@-]*)$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = ligne.match(QString::fromLatin1(info));
    return m.hasMatch() ? QByteArray::fromPercentEncoding(m.captured(1).toLatin1()) : QByteArray("<illisible>");
}

// A path whose folder is given with the links resolved, as the trash records it.
QByteArray reel(const QString& dossier, const QByteArray& nom)
{
    return QFile::encodeName(QDir(dossier).canonicalPath()) + '/' + nom;
}
} // namespace

class TestOperationsFichiers : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString d_;
    const QByteArray source_ = octets(300000, 'a');
    const QByteArray ancienne_ = octets(1000, 'z');

private slots:
    void init()
    {
        echouerSurConnexionRompue();
        d_ = dir_.filePath(QStringLiteral("cas"));
        QDir(d_).removeRecursively();
        QVERIFY(QDir().mkpath(d_ + QStringLiteral("/sous")));
        ecrire(d_ + QStringLiteral("/photo.jpg"), source_);
    }

    // By bytes too: QDir cannot remove a name that is not UTF-8.
    void cleanup()
    {
        ::nftw(
            QFile::encodeName(d_).constData(),
            [](const char* chemin, const struct stat*, int, struct FTW*) { return ::remove(chemin); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }

    void copieSurElleMeme_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("preparer");
        QTest::newRow("même chemin") << "photo.jpg"
                                     << "";
        QTest::newRow("./") << "./photo.jpg"
                            << "";
        QTest::newRow("..") << "sous/../photo.jpg"
                            << "";
        QTest::newRow("lien symbolique") << "lien.jpg"
                                         << "symlink";
        QTest::newRow("lien physique") << "sous/dur.jpg"
                                       << "link";
    }
    void copieSurElleMeme()
    {
        QFETCH(QString, destination);
        QFETCH(QString, preparer);
        const QString src = d_ + QStringLiteral("/photo.jpg");
        const QString dest = d_ + QLatin1Char('/') + destination;
        if (preparer == QLatin1String("symlink"))
            QVERIFY(QFile::link(src, dest));
        if (preparer == QLatin1String("link"))
            QCOMPARE(::link(QFile::encodeName(src).constData(), QFile::encodeName(dest).constData()), 0);
        const ResultatCopie r = copierFichier(src, dest);
        QCOMPARE(r.issue, ResultatCopie::MemeFichier);
        QCOMPARE(lire(src), source_);
        QCOMPARE(lire(dest), source_);
        QVERIFY(!noms(d_).join(' ').contains(QLatin1String("ormelle")));
    }

    void copieRemplaceLaDestination()
    {
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        ecrire(dest, ancienne_);
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest);
        QCOMPARE(r.issue, ResultatCopie::Copie);
        QCOMPARE(lire(dest), source_);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{QStringLiteral("photo.jpg")});
    }

    void copieDansUnNomNonUtf8()
    {
        const QString dest = cheminDepuisOctets(QFile::encodeName(d_) + "/sous/\xe9t\xe9.jpg");
        QCOMPARE(copierFichier(d_ + QStringLiteral("/photo.jpg"), dest).issue, ResultatCopie::Copie);
        QFile f;
        QVERIFY(ouvrirEnLecture(f, dest));
        const QByteArray copie = f.readAll();
        // QDir cannot name it to remove it later.
        ::unlink(octetsDepuisChemin(dest).constData());
        QCOMPARE(copie, source_);
    }

    // A file size limit stops the copy half-way, as a full disk would.
    void copieInterrompueLaisseLAncienneDestination()
    {
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        ecrire(dest, ancienne_);
        struct rlimit avant;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &avant), 0);
        const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limite = avant;
        limite.rlim_cur = 65536;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest);
        ::setrlimit(RLIMIT_FSIZE, &avant);
        std::signal(SIGXFSZ, ancienSignal);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Le fichier est trop volumineux"));
        QCOMPARE(lire(dest), ancienne_);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{QStringLiteral("photo.jpg")});
    }

    void copieVersUnNomDe250Octets_data()
    {
        QTest::addColumn<bool>("anonyme");
        QTest::newRow("fichier sans nom") << true;
        QTest::newRow("fichier caché nommé") << false;
    }
    void copieVersUnNomDe250Octets()
    {
        QFETCH(bool, anonyme);
        // Two bytes a letter: the temporary's shortened name must not cut one in half.
        const QString nom = QString(123, QChar(0xe9)) + QStringLiteral(".jpg");
        QCOMPARE(nom.toUtf8().size(), 250);
        OptionsCopie options;
        options.fichierAnonyme = anonyme;
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), d_ + "/sous/" + nom, options);
        QCOMPARE(r.erreur, QString());
        QCOMPARE(r.issue, ResultatCopie::Copie);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{nom});
        QCOMPARE(lire(d_ + "/sous/" + nom), source_);
    }

    // A file that took the name while the copy ran was not the one the user agreed to replace.
    void copieSansRemplacerGardeLeNouveauVenu_data()
    {
        QTest::addColumn<bool>("anonyme");
        QTest::newRow("fichier sans nom") << true;
        QTest::newRow("fichier caché nommé") << false;
    }
    void copieSansRemplacerGardeLeNouveauVenu()
    {
        QFETCH(bool, anonyme);
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        ecrire(dest, ancienne_);
        OptionsCopie options;
        options.remplacer = false;
        options.fichierAnonyme = anonyme;
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest, options);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Le fichier existe déjà"));
        QCOMPARE(lire(dest), ancienne_);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), QStringList{QStringLiteral("photo.jpg")});
    }

    // A copy killed half-way, as by a crash or a power cut of the program.
    void copieTueeNeLaissePasDeTrace_data()
    {
        QTest::addColumn<bool>("existante");
        QTest::newRow("nouvelle destination") << false;
        QTest::newRow("destination existante") << true;
    }
    void copieTueeNeLaissePasDeTrace()
    {
        QFETCH(bool, existante);
        const QString src = d_ + QStringLiteral("/grande.jpg");
        ecrire(src, octets(4 << 20, 'g'));
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        if (existante)
            ecrire(dest, ancienne_);
        const QStringList avant = noms(d_ + QStringLiteral("/sous"));
        int tube[2];
        QCOMPARE(::pipe(tube), 0);
        const pid_t enfant = ::fork();
        QVERIFY(enfant >= 0);
        if (enfant == 0) {
            ::close(tube[0]);
            OptionsCopie options;
            options.remplacer = existante;
            options.progression = [&](qint64, qint64) {
                if (::write(tube[1], "1", 1) != 1)
                    ::_exit(2);
                for (;;)
                    ::pause();
                return true;
            };
            copierFichier(src, dest, options);
            ::_exit(1);
        }
        ::close(tube[1]);
        char lu = 0;
        const ssize_t n = ::read(tube[0], &lu, 1);
        ::kill(enfant, SIGKILL);
        ::waitpid(enfant, nullptr, 0);
        ::close(tube[0]);
        QCOMPARE(n, ssize_t(1)); // the first chunk was written
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), avant);
        QCOMPARE(lire(dest), existante ? ancienne_ : QByteArray("<absent>"));
    }

    void copieAnnuleeLaisseLeDossierCommeAvant_data()
    {
        QTest::addColumn<bool>("anonyme");
        QTest::addColumn<bool>("existante");
        QTest::newRow("nouvelle") << true << false;
        QTest::newRow("existante") << true << true;
        QTest::newRow("nommée, existante") << false << true;
    }
    void copieAnnuleeLaisseLeDossierCommeAvant()
    {
        QFETCH(bool, anonyme);
        QFETCH(bool, existante);
        const QString dest = d_ + QStringLiteral("/sous/photo.jpg");
        if (existante)
            ecrire(dest, ancienne_);
        const QStringList avant = noms(d_ + QStringLiteral("/sous"));
        OptionsCopie options;
        options.fichierAnonyme = anonyme;
        int appels = 0;
        qint64 dernier = 0, annonce = 0;
        options.progression = [&](qint64 faits, qint64 total) {
            dernier = faits;
            annonce = total;
            return ++appels < 2; // stopped at the second chunk
        };
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest, options);
        QCOMPARE(r.issue, ResultatCopie::Annulee);
        QCOMPARE(appels, 2);
        QCOMPARE(annonce, qint64(300000));
        QVERIFY(dernier > 0 && dernier < annonce);
        QCOMPARE(noms(d_ + QStringLiteral("/sous")), avant);
        QCOMPARE(lire(dest), existante ? ancienne_ : QByteArray("<absent>"));
    }

    void copieBalaieLesRestesDeCopiesTuees()
    {
        const QString sous = d_ + QStringLiteral("/sous/");
        const auto creer = [&](const char* nom, int jours) {
            QFile f(sous + QLatin1String(nom));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write(ancienne_) && f.flush());
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addDays(-jours), QFileDevice::FileModificationTime));
        };
        creer(".vieille.jpg.ormelle-Ab12Cd", 2);
        creer(".ormelle-Zz9Yx8", 2);
        creer(".recente.jpg.ormelle-Xy34Zw", 0);
        creer(".vieux-reglages", 2);
        creer("vieille.jpg.ormelle-Qr56St", 2);
        QCOMPARE(copierFichier(d_ + QStringLiteral("/photo.jpg"), sous + QStringLiteral("photo.jpg")).issue,
                 ResultatCopie::Copie);
        QCOMPARE(noms(sous), (QStringList{".recente.jpg.ormelle-Xy34Zw", ".vieux-reglages", "photo.jpg",
                                          "vieille.jpg.ormelle-Qr56St"}));
    }

    void copieDansUnDossierEnLectureSeule()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not hold for root");
        const QString sous = d_ + QStringLiteral("/sous");
        const QString dest = sous + QStringLiteral("/photo.jpg");
        ecrire(dest, ancienne_);
        QVERIFY(QFile::setPermissions(sous, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/photo.jpg"), dest);
        QFile::setPermissions(sous, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Accès refusé"));
        QCOMPARE(lire(dest), ancienne_);
        QCOMPARE(noms(sous), QStringList{QStringLiteral("photo.jpg")});
    }

    void copieDUneSourceAbsente()
    {
        const QString dest = d_ + QStringLiteral("/sous/x.jpg");
        const ResultatCopie r = copierFichier(d_ + QStringLiteral("/rien.jpg"), dest);
        QCOMPARE(r.issue, ResultatCopie::Echec);
        QCOMPARE(r.erreur, QStringLiteral("Fichier ou dossier introuvable"));
        QVERIFY(noms(d_ + QStringLiteral("/sous")).isEmpty());
    }

    void renommerSurUnNomExistant()
    {
        const QString autre = d_ + QStringLiteral("/autre.jpg");
        ecrire(autre, ancienne_);
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), QStringLiteral("autre.jpg"));
        QCOMPARE(r.issue, ResultatRenommage::Existe);
        QCOMPARE(lire(autre), ancienne_);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
    }

    void nomsRefuses_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::newRow("barre") << "sous/photo.jpg";
        QTest::newRow("remonte") << "../photo.jpg";
        QTest::newRow("point") << ".";
        QTest::newRow("point point") << "..";
        QTest::newRow("vide") << "";
    }
    void nomsRefuses()
    {
        QFETCH(QString, nom);
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), nom);
        QCOMPARE(r.issue, ResultatRenommage::NomRefuse);
        QCOMPARE(noms(d_), QStringList{QStringLiteral("photo.jpg")});
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
        QVERIFY(noms(d_ + QStringLiteral("/sous")).isEmpty());
        QCOMPARE(noms(dir_.path()), QStringList());
    }

    void renommerLaCasseSeule()
    {
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), QStringLiteral("PHOTO.JPG"));
        QCOMPARE(r.issue, ResultatRenommage::Renomme);
        QCOMPARE(r.chemin, d_ + QStringLiteral("/PHOTO.JPG"));
        QCOMPARE(noms(d_), QStringList{QStringLiteral("PHOTO.JPG")});
        QCOMPARE(lire(r.chemin), source_);
    }

    void renommerSansExtension()
    {
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/photo.jpg"), QStringLiteral("vacances"));
        QCOMPARE(r.issue, ResultatRenommage::Renomme);
        QCOMPARE(noms(d_), QStringList{QStringLiteral("vacances")});
        QCOMPARE(lire(r.chemin), source_);
    }

    void renommerUnFichierDisparu()
    {
        const ResultatRenommage r = renommerFichier(d_ + QStringLiteral("/rien.jpg"), QStringLiteral("b.jpg"));
        QCOMPARE(r.issue, ResultatRenommage::Echec);
        QCOMPARE(noms(d_), QStringList{QStringLiteral("photo.jpg")});
    }

    // The trash of a fresh account, whose data folder does not exist yet.
    void corbeilleRestaurable()
    {
        const QString donnees = dir_.filePath(QStringLiteral("neuf/.local/share"));
        QVERIFY(!QFileInfo::exists(donnees));
        qputenv("XDG_DATA_HOME", QFile::encodeName(donnees));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(d_ + QStringLiteral("/sous"));
        const QString original = d_ + QStringLiteral("/photo.jpg");
        const ResultatCorbeille r = envoyerCorbeille(original);
        QDir::setCurrent(cwd);
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        QVERIFY(!QFileInfo::exists(original));
        QVERIFY(noms(d_ + QStringLiteral("/sous")).isEmpty());
        QVERIFY(r.cheminCorbeille.startsWith(donnees + QStringLiteral("/Trash/files/")));

        const QString nom = QFileInfo(r.cheminCorbeille).fileName();
        const QString info = lire(donnees + QStringLiteral("/Trash/info/") + nom + QStringLiteral(".trashinfo"));
        QRegularExpression ligne(QStringLiteral("^Path=(.*)$"), QRegularExpression::MultilineOption);
        const auto m = ligne.match(info);
        QVERIFY(m.hasMatch());
        QCOMPARE(QUrl::fromPercentEncoding(m.captured(1).toUtf8()), original);
        QVERIFY(QFile::rename(r.cheminCorbeille, original));
        QCOMPARE(lire(original), source_);
    }

    void corbeilleDUnFichierAbsent()
    {
        const ResultatCorbeille r = envoyerCorbeille(d_ + QStringLiteral("/rien.jpg"));
        QVERIFY(!r.reussi);
        QCOMPARE(lire(d_ + QStringLiteral("/photo.jpg")), source_);
    }

    // Sent again, a trashed picture would leave its first record naming nothing.
    void corbeilleDUneImageDejaJetee()
    {
        const QString dedans = d_ + QStringLiteral("/donnees/Trash/files/photo.jpg");
        QVERIFY(QDir().mkpath(d_ + QStringLiteral("/donnees/Trash/files")));
        QVERIFY(QFile::rename(d_ + QStringLiteral("/photo.jpg"), dedans));
        const ResultatCorbeille r = envoyerCorbeille(dedans);
        QCOMPARE(r.erreur, QStringLiteral("L'image est déjà dans la Corbeille"));
        QCOMPARE(lire(dedans), source_);
    }

    // The record gives the desktop the picture's exact path, whatever its bytes.
    void corbeilleEncodeLeChemin_data() { lignesNomsDifficiles(); }
    void corbeilleEncodeLeChemin()
    {
        QFETCH(QByteArray, nom);
        const QByteArray racine = QFile::encodeName(d_);
        const QByteArray photo = racine + '/' + nom;
        ecrireOctets(photo, source_);
        const IssueEnfant r = corbeilleDansUnEnfant(cheminDepuisOctets(photo), {{"XDG_DATA_HOME", racine + "/donnees"}},
                                                    racine + "/sous");
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        const QByteArray corbeille = racine + "/donnees/Trash";
        const QList<QByteArray> infos = entrees(corbeille + "/info");
        QCOMPARE(infos.size(), 1);
        QVERIFY(infos[0].endsWith(".trashinfo"));
        QCOMPARE(cheminDuRecord(lireOctets(corbeille + "/info/" + infos[0])), reel(d_, nom));
        QCOMPARE(lireOctets(corbeille + "/files/" + infos[0].chopped(10)), source_);
        QCOMPARE(lireOctets(photo), QByteArray("<absent>"));
    }

    // The desktop's own trash (gvfs) reads each record back to the exact bytes, and the
    // file goes home from it as a file manager moves it. (`gio trash --restore` of GLib
    // 2.74 cannot serve: it puts a name back under its "\xNN" escapes.)
    void corbeilleRestaureeParLeBureau_data() { lignesNomsDifficiles(); }
    void corbeilleRestaureeParLeBureau()
    {
        QFETCH(QByteArray, nom);
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty()
            || !QFileInfo::exists(QStringLiteral("/usr/libexec/gvfsd-trash")))
            QSKIP("gvfs, gio or dbus-run-session is not installed");
        const QByteArray photo = QFile::encodeName(d_) + '/' + nom;
        ecrireOctets(photo, source_);
        const QString maison = d_ + QStringLiteral("/maison");
        QVERIFY(QDir().mkpath(maison));
        const QByteArray share = QFile::encodeName(maison) + "/share";
        const IssueEnfant r = corbeilleDansUnEnfant(cheminDepuisOctets(photo),
                                                    {{"HOME", QFile::encodeName(maison)}, {"XDG_DATA_HOME", share}},
                                                    QFile::encodeName(maison));
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        const QList<QByteArray> jetes = entrees(share + "/Trash/files");
        QCOMPARE(jetes.size(), 1);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), maison);
        env.insert(QStringLiteral("XDG_DATA_HOME"), QFile::decodeName(share));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), maison);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.insert(QStringLiteral("GVFS_DISABLE_FUSE"), QStringLiteral("1"));
        QProcess gio;
        gio.setProcessEnvironment(env);
        gio.start(QStringLiteral("dbus-run-session"),
                  {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("gio info -a trash::orig-path \"$0\" && gio move \"$0\" \"$1\""),
                   QStringLiteral("trash:///") + QString::fromLatin1(jetes[0].toPercentEncoding()),
                   QStringLiteral("file://") + QString::fromLatin1(reel(d_, nom).toPercentEncoding("/"))});
        QVERIFY(gio.waitForFinished(60000));
        QVERIFY2(gio.exitCode() == 0, gio.readAllStandardError().constData());
        const QByteArray sortie = gio.readAllStandardOutput();
        const qsizetype debut = sortie.indexOf("trash::orig-path: ") + 18;
        QVERIFY(debut >= 18);
        QCOMPARE(sansEchappements(sortie.mid(debut, sortie.indexOf('\n', debut) - debut)), reel(d_, nom));
        QCOMPARE(lireOctets(photo), source_);
    }

    // Another volume has a trash of its own, whose record finds the picture from the
    // volume's top.
    void corbeilleDUnAutreVolume()
    {
        const QByteArray volume = QFile::encodeName(d_) + "/volume";
        if (!monter(volume, "size=1m"))
            QSKIP("mounting a tmpfs needs root (CAP_SYS_ADMIN)");
        const auto demonter = qScopeGuard([&] { ::umount2(volume.constData(), MNT_DETACH); });
        QVERIFY(QDir().mkpath(QFile::decodeName(volume + "/images")));
        const QByteArray photo = volume + "/images/taux 50%41.jpg";
        const QByteArray petite = source_.left(20000);
        ecrireOctets(photo, petite);
        const IssueEnfant r = corbeilleDansUnEnfant(QFile::decodeName(photo),
                                                    {{"XDG_DATA_HOME", QFile::encodeName(d_) + "/donnees"}}, volume);
        QVERIFY2(r.reussi, qPrintable(r.erreur));
        const QByteArray corbeille = volume + "/.Trash-" + QByteArray::number(::geteuid());
        const QByteArray chemin = cheminDuRecord(lireOctets(corbeille + "/info/taux 50%41.jpg.trashinfo"));
        QCOMPARE(chemin.startsWith('/') ? chemin : reel(d_, "volume/" + chemin),
                 reel(d_, "volume/images/taux 50%41.jpg"));
        QCOMPARE(lireOctets(corbeille + "/files/taux 50%41.jpg"), petite);
    }

    // A full volume: no record can be written, so the picture stays where it was.
    void corbeilleSurUnVolumePlein_data()
    {
        QTest::addColumn<bool>("inodes");
        QTest::newRow("place") << false;
        QTest::newRow("inodes") << true;
    }
    void corbeilleSurUnVolumePlein()
    {
        QFETCH(bool, inodes);
        const QByteArray volume = QFile::encodeName(d_) + "/volume";
        if (!monter(volume, inodes ? "size=1m,nr_inodes=64" : "size=128k"))
            QSKIP("mounting a tmpfs needs root (CAP_SYS_ADMIN)");
        const auto demonter = qScopeGuard([&] { ::umount2(volume.constData(), MNT_DETACH); });
        for (const char* dossier : {"/images", "/share/Trash/info", "/share/Trash/files", "/plein"})
            QVERIFY(QDir().mkpath(QFile::decodeName(volume + dossier)));
        const QByteArray photo = volume + "/images/photo.jpg";
        const QByteArray petite = source_.left(20000);
        ecrireOctets(photo, petite);
        remplir(volume + "/plein", inodes);
        const IssueEnfant r = corbeilleDansUnEnfant(QFile::decodeName(photo),
                                                    {{"HOME", volume}, {"XDG_DATA_HOME", volume + "/share"}}, volume);
        QVERIFY(r.rendu);
        QVERIFY(!r.reussi);
        QCOMPARE(r.erreur, QStringLiteral("Corbeille inaccessible : il n'y a plus de place sur le disque"));
        QCOMPARE(lireOctets(photo), petite);
        // No record, empty or not, and no file anywhere on the volume but the filling.
        QStringList autres;
        QDirIterator it(QFile::decodeName(volume), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            if (const QString f = it.next(); !f.contains(QLatin1String("/plein/")) && f != QFile::decodeName(photo))
                autres << f;
        QCOMPARE(autres, QStringList());
    }

    // Records that cannot be written: the trash says so at once, without retrying.
    void corbeilleAuxInfosVerrouillees()
    {
        const QByteArray racine = QFile::encodeName(d_);
        const QByteArray corbeille = racine + "/donnees/Trash";
        QVERIFY(QDir().mkpath(QFile::decodeName(corbeille + "/info")));
        QVERIFY(QDir().mkpath(QFile::decodeName(corbeille + "/files")));
        const QByteArray photo = racine + "/photo.jpg";
        // Root writes anywhere: the case is played by user nobody.
        const uid_t qui = ::geteuid() == 0 ? Personne : 0;
        if (qui != 0) {
            QCOMPARE(::chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
            for (const QByteArray& c : {racine, racine + "/sous", racine + "/donnees", corbeille, corbeille + "/info",
                                        corbeille + "/files", photo})
                QCOMPARE(::chown(c.constData(), qui, qui), 0);
        }
        QCOMPARE(::chmod((corbeille + "/info").constData(), 0500), 0);
        const IssueEnfant r = corbeilleDansUnEnfant(QFile::decodeName(photo), {{"XDG_DATA_HOME", racine + "/donnees"}},
                                                    racine + "/sous", qui);
        if (r.sansUtilisateur)
            QSKIP("the test's folder cannot be reached as user nobody");
        QVERIFY(r.rendu);
        QVERIFY(!r.reussi);
        QCOMPARE(r.erreur, QStringLiteral("Corbeille inaccessible : accès refusé"));
        QCOMPARE(lire(QFile::decodeName(photo)), source_);
        QCOMPARE(entrees(corbeille + "/files"), QList<QByteArray>());
        QCOMPARE(entrees(corbeille + "/info"), QList<QByteArray>());
    }

    // A data folder that cannot serve: the trash fails, or goes to the home folder,
    // but never to the working folder.
    void corbeilleSansDossierDeDonnees_data()
    {
        QTest::addColumn<QByteArray>("donnees");
        QTest::addColumn<QString>("erreur");
        QTest::newRow("sous un fichier") << QByteArray("@/photo.jpg/share")
                                         << QStringLiteral("Corbeille inaccessible : ce n'est pas un dossier");
        QTest::newRow("relatif") << QByteArray("donnees") << QString();
    }
    void corbeilleSansDossierDeDonnees()
    {
        QFETCH(QByteArray, donnees);
        QFETCH(QString, erreur);
        const QByteArray racine = QFile::encodeName(d_);
        const QString photo = d_ + QStringLiteral("/photo.jpg");
        const IssueEnfant r = corbeilleDansUnEnfant(
            photo, {{"HOME", racine + "/maison"}, {"XDG_DATA_HOME", donnees.replace('@', racine)}}, racine + "/sous");
        QVERIFY(r.rendu);
        QCOMPARE(r.erreur, erreur);
        QCOMPARE(r.reussi, erreur.isEmpty());
        const auto tout = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(d_ + QStringLiteral("/sous")).entryList(tout), QStringList());
        QCOMPARE(lire(r.reussi ? d_ + QStringLiteral("/maison/.local/share/Trash/files/photo.jpg") : photo), source_);
    }

    void cheminsDeCorbeille_data()
    {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<bool>("corbeille");
        QTest::newRow("maison") << "/home/a/.local/share/Trash/files/x.jpg" << true;
        QTest::newRow("volume") << "/media/c/.Trash-1000/files/x.jpg" << true;
        QTest::newRow("volume partagé") << "/media/c/.Trash/1000/files/x.jpg" << true;
        QTest::newRow("relatif") << "files/x.jpg" << false;
        QTest::newRow("dossier courant") << "/home/a/Images/files/x.jpg" << false;
        QTest::newRow("sous-dossier") << "/home/a/.local/share/Trash/files/d/x.jpg" << false;
    }
    void cheminsDeCorbeille()
    {
        QFETCH(QString, chemin);
        QFETCH(bool, corbeille);
        QCOMPARE(dansUneCorbeille(chemin), corbeille);
    }
};

QTEST_GUILESS_MAIN(TestOperationsFichiers)
#include "tst_operationsfichiers.moc"
