// A settings file grown to 50 MB (years of stray keys): every user action rewrites
// it once, atomically, and the keys Ormelle does not know survive. Writes are
// counted by the kernel (inotify), not timed.
#include "bancfenprin.h"

#include "dialogs/reglslid.h"
#include "commun/connexionsrompues.h"

#include <QFile>
#include <QTest>

#include <utility>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int NbClesEgarees = 25000;
constexpr int LongueurValeur = 2000;

// Counts the atomic rewrites of one file: renames onto its name in its folder. The
// other half of each rename is watched too, since the kernel merges identical events
// that follow each other unread.
class EcrituresObservees {
public:
    explicit EcrituresObservees(const QString& fichier) : nom_(QFileInfo(fichier).fileName().toUtf8())
    {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0)
            inotify_add_watch(fd_, QFile::encodeName(QFileInfo(fichier).absolutePath()).constData(),
                              IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~EcrituresObservees()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool valide() const { return fd_ >= 0; }

    // Rewrites since the last call. The kernel queues the event when the rename
    // happens, so everything done so far is already there.
    int relever()
    {
        int n = 0;
        alignas(inotify_event) char tampon[64 * 1024];
        for (;;) {
            const ssize_t lus = ::read(fd_, tampon, sizeof tampon);
            if (lus <= 0)
                break;
            for (ssize_t i = 0; i < lus;) {
                const auto* e = reinterpret_cast<const inotify_event*>(tampon + i);
                if (e->len > 0 && (e->mask & IN_MOVED_TO) && nom_ == QByteArray(e->name))
                    ++n;
                i += ssize_t(sizeof(inotify_event)) + e->len;
            }
        }
        return n;
    }

private:
    int fd_ = -1;
    QByteArray nom_;
};

bool ecrireFichierGonfle(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("[Couleurs%20de%20l'interface]\nAutres%20textes=255\n\n[Anciens]\n");
    const QByteArray valeur(LongueurValeur, 'x');
    for (int i = 0; i < NbClesEgarees; ++i)
        f.write(QByteArray("cle") + QByteArray::number(i).rightJustified(6, '0') + '=' + valeur + '\n');
    return f.error() == QFileDevice::NoError;
}

ino_t inodeDe(const QString& chemin)
{
    struct stat st {};
    return ::stat(QFile::encodeName(chemin).constData(), &st) == 0 ? st.st_ino : 0;
}
} // namespace

class TestEcrituresReglages : public QObject {
    Q_OBJECT

private slots:
    void init() { echouerSurConnexionRompue(); }
    void uneEcritureParActionSurUnFichierDe50Mo()
    {
        BancFenPrin b;
        const QString chemin = b.reglages->fichier();
        QVERIFY(ecrireFichierGonfle(chemin));
        QVERIFY(QFileInfo(chemin).size() > 50'000'000);
        // A store opened on the file as it now is, as at the start of a run.
        b.reglages = std::make_unique<Reglages>(chemin);
        b.g = std::make_unique<General>(*b.reglages, b.services);
        {
            LotReglages lot(*b.reglages); // no notice at start: only the main window's actions count
            b.ecrire(cles::SectionAvertissement, cles::CleAffichage, QStringLiteral("Non"));
            b.ecrire(cles::SectionConseils, cles::CleConseil, QStringLiteral("Non"));
        }
        b.charger();
        QCOMPARE(b.g->Couleurs[Role::AutresTextes], QStringLiteral("255"));

        EcrituresObservees ecritures(chemin);
        if (!ecritures.valide())
            QSKIP("inotify is not available here");
        ecritures.relever();
        int compteur = b.reglages->ecrituresFichier();
        ino_t inode = inodeDe(chemin);
        const auto uneEcriture = [&](const char* action) {
            const int n = ecritures.relever();
            const int avant = std::exchange(compteur, b.reglages->ecrituresFichier());
            QCOMPARE(compteur, avant + 1);
            QVERIFY2(n == 1, qPrintable(QStringLiteral("%1: %2 rewrites").arg(QString::fromUtf8(action)).arg(n)));
            // Replaced by a new file, not written over: a crash half-way leaves the old one whole.
            QVERIFY2(inodeDe(chemin) != inode, action);
            inode = inodeDe(chemin);
        };

        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdReset"));
        uneEcriture("Réinitialiser les couleurs");

        clic(b.controle("CmdApropos"));
        clic(b.controle("LblChangerCoul"), Qt::RightButton);
        uneEcriture("second schéma");

        b.services.couleurs.push_back(QColor(10, 20, 30));
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdCoulFin"));
        uneEcriture("une couleur");

        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdBulAide"));
        uneEcriture("info-bulles");

        {
            ReglSlid d(*b.g, b.fen.get());
            d.show();
            clic(d.findChild<QWidget*>(QStringLiteral("CocheEnregistrer")));
            clic(d.findChild<QWidget*>(QStringLiteral("CmdOK")));
        }
        uneEcriture("réglages du diaporama");

        // Nothing Ormelle does not know was lost on the way, and what it wrote is there.
        QVERIFY(QFileInfo(chemin).size() > 50'000'000);
        Reglages relu(chemin);
        const QString derniere = QStringLiteral("cle%1").arg(NbClesEgarees - 1, 6, 10, QLatin1Char('0'));
        QCOMPARE(relu.lire(QStringLiteral("Anciens"), derniere)->size(), LongueurValeur);
        QCOMPARE(relu.lire(cles::SectionCouleurs, SchemaCouleurs::cle(Role::FinDegrade)),
                 QString::number(10 + 20 * 256 + 30 * 65536));
        QCOMPARE(relu.lire(cles::SectionInfoBulles, cles::CleValeur), QStringLiteral("Non"));
        QCOMPARE(relu.lire(cles::SectionPause, cles::ClePause), QStringLiteral("1"));

        b.services.reponsesBoite.push_back(-1);
        clic(b.controle("CmdApropos"));
        clic(b.controle("CmdSupprCle"));
        uneEcriture("Désinstallation");
        QVERIFY(QFileInfo(chemin).size() < 1000);
    }
};

QTEST_MAIN(TestEcrituresReglages)
#include "tst_ecrituresreglages.moc"
