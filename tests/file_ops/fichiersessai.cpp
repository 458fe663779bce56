#include "fichiersessai.h"
#include "file_ops/corbeille.h"
#include "platform/nomsfichiers.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

void CasFichiers::preparerCas()
{
    d_ = dir_.filePath(QStringLiteral("cas"));
    QDir(d_).removeRecursively();
    QVERIFY(QDir().mkpath(d_ + QStringLiteral("/sous")));
    ecrire(d_ + QStringLiteral("/photo.jpg"), source_);
}

void CasFichiers::effacerCas()
{
    ::nftw(
        QFile::encodeName(d_).constData(),
        [](const char* chemin, const struct stat*, int, struct FTW*) { return ::remove(chemin); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

IssueEnfant corbeilleDansUnEnfant(const QString& chemin, const VariablesEnfant& env, const QByteArray& dossierCourant,
                                  uid_t utilisateur)
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

void lignesNomsDifficiles()
{
    QTest::addColumn<QByteArray>("nom");
    QTest::newRow("accents") << QByteArray("Noël à la plage.jpg");
    QTest::newRow("pour cent") << QByteArray("taux 50%41.jpg");
    QTest::newRow("%20") << QByteArray("a%20b.jpg");
    QTest::newRow("latin-1") << QByteArray("\xe9t\xe9.jpg");
    QTest::newRow("long") << QByteArray("é").repeated(125) + ".jpg";
}

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

bool monter(const QByteArray& dossier, const char* options)
{
    return QDir().mkpath(QFile::decodeName(dossier)) && ::mount("tmpfs", dossier.constData(), "tmpfs", 0, options) == 0;
}

QByteArray cheminDuRecord(const QByteArray& info)
{
    static const QRegularExpression ligne(QStringLiteral("^Path=([A-Za-z0-9%/._~!$&'()*+,;=:@-]*)$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = ligne.match(QString::fromLatin1(info));
    return m.hasMatch() ? QByteArray::fromPercentEncoding(m.captured(1).toLatin1()) : QByteArray("<illisible>");
}

QByteArray reel(const QString& dossier, const QByteArray& nom)
{
    return QFile::encodeName(QDir(dossier).canonicalPath()) + '/' + nom;
}
