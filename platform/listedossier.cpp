#include "platform/listedossier.h"

#include "platform/erreurs.h"
#include "platform/nomsfichiers.h"

#include <QCollator>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

struct Motif {
    enum class Genre { Tout, SansPoint, Suffixe, Joker };
    Genre genre = Genre::Tout;
    QString texte;
};

bool egal(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// '*' any run of characters, '?' exactly one; backtracks only to the last star.
bool joker(QStringView m, QStringView n)
{
    qsizetype i = 0, j = 0, etoile = -1, reprise = 0;
    while (j < n.size()) {
        if (i < m.size() && m[i] != u'*' && (m[i] == u'?' || egal(m[i], n[j]))) {
            ++i;
            ++j;
        } else if (i < m.size() && m[i] == u'*') {
            etoile = i++;
            reprise = j;
        } else if (etoile >= 0) {
            i = etoile + 1;
            j = ++reprise;
        } else {
            return false;
        }
    }
    while (i < m.size() && m[i] == u'*')
        ++i;
    return i == m.size();
}

std::vector<Motif> compiler(const QString& motif)
{
    std::vector<Motif> motifs;
    for (const QString& morceau : motif.split(u';', Qt::SkipEmptyParts)) {
        const QString p = morceau.trimmed();
        Motif m;
        if (p.isEmpty())
            continue;
        // "*.*" means every file, names without a dot included; "*." only those without one.
        if (p == u"*" || p == u"*.*")
            m.genre = Motif::Genre::Tout;
        else if (p == u"*.")
            m.genre = Motif::Genre::SansPoint;
        else if (p.startsWith(u'*') && p.indexOf(u'*', 1) < 0 && !p.contains(u'?'))
            m = {Motif::Genre::Suffixe, p.mid(1)};
        else
            m = {Motif::Genre::Joker, p};
        motifs.push_back(m);
    }
    if (motifs.empty())
        motifs.push_back(Motif{});
    return motifs;
}

bool correspond(const std::vector<Motif>& motifs, const QString& nom)
{
    for (const Motif& m : motifs) {
        switch (m.genre) {
        case Motif::Genre::Tout:
            return true;
        case Motif::Genre::SansPoint:
            if (!nom.contains(u'.'))
                return true;
            break;
        case Motif::Genre::Suffixe:
            if (nom.endsWith(m.texte, Qt::CaseInsensitive))
                return true;
            break;
        case Motif::Genre::Joker:
            if (joker(m.texte, nom))
                return true;
            break;
        }
    }
    return false;
}

enum class Verdict { Non, Oui, Incertain };

// Whether the name's last bytes are `suffixe`, case aside, when both are plain ASCII
// there: those bytes are then the name's last characters.
Verdict suffixeOctets(const QString& suffixe, const char* nom, size_t n)
{
    const size_t l = size_t(suffixe.size());
    if (n < l) // fewer characters than the suffix, whatever they are
        return Verdict::Non;
    // From the end: past a byte that is not ASCII, bytes no longer tell characters.
    for (size_t k = l; k-- > 0;) {
        const char16_t attendu = suffixe.at(qsizetype(k)).unicode();
        const unsigned char c = static_cast<unsigned char>(nom[n - l + k]);
        if (attendu >= 0x80 || c >= 0x80)
            return Verdict::Incertain;
        if (QChar::toCaseFolded(char32_t(c)) != QChar::toCaseFolded(char32_t(attendu)))
            return Verdict::Non;
    }
    return Verdict::Oui;
}

// The pattern judged on the name's bytes, before any text is made of them: plain
// ASCII suffixes and "*.*" are decided here for most names; the rest is left to
// correspond().
Verdict verdictOctets(const std::vector<Motif>& motifs, const char* nom, size_t n)
{
    Verdict verdict = Verdict::Non;
    for (const Motif& m : motifs) {
        Verdict v = Verdict::Incertain;
        if (m.genre == Motif::Genre::Tout)
            v = Verdict::Oui;
        else if (m.genre == Motif::Genre::SansPoint)
            v = memchr(nom, '.', n) ? Verdict::Non : Verdict::Oui;
        else if (m.genre == Motif::Genre::Suffixe)
            v = suffixeOctets(m.texte, nom, n);
        if (v == Verdict::Oui)
            return v;
        if (v == Verdict::Incertain)
            verdict = v;
    }
    return verdict;
}

enum class Genre { Autre, Fichier, Dossier };

IdentiteFichier identiteDe(const struct stat& st)
{
    return IdentiteFichier{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                           qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// Regular files and folders, links followed to what they point to: devices,
// pipes and sockets are no pictures and would block a reader. The entry type
// tells most entries apart without a stat, which would cost more than the rest
// of the listing; only links and file systems that give no type are stat'ed.
Genre genreEntree(DIR* d, const dirent* e)
{
    if (e->d_type == DT_DIR)
        return Genre::Dossier;
    if (e->d_type == DT_REG)
        return Genre::Fichier;
    if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
        return Genre::Autre;
    struct stat st;
    if (fstatat(dirfd(d), e->d_name, &st, 0) != 0)
        return Genre::Autre;
    return S_ISREG(st.st_mode) ? Genre::Fichier : S_ISDIR(st.st_mode) ? Genre::Dossier : Genre::Autre;
}

// A name with its case folded, its first sixteen code units packed in four integers
// in code unit order (a camera's names share their first eight): most comparisons of
// a sort end there, without reading the text.
struct CleRepliee {
    quint64 tete[4] = {0, 0, 0, 0};
    QString texte;
    explicit CleRepliee(QString t) : texte(std::move(t))
    {
        const qsizetype n = std::min<qsizetype>(texte.size(), 16);
        for (qsizetype i = 0; i < n; ++i)
            tete[i / 4] |= quint64(texte.at(i).unicode()) << (48 - 16 * (i % 4));
    }
};

int comparer(const CleRepliee& a, const CleRepliee& b)
{
    for (int k = 0; k < 4; ++k)
        if (a.tete[k] != b.tete[k])
            return a.tete[k] < b.tete[k] ? -1 : 1;
    return QString::compare(a.texte, b.texte);
}
int comparer(const QCollatorSortKey& a, const QCollatorSortKey& b)
{
    return a.compare(b);
}

template <typename Cle>
void trierParCles(QStringList& noms, std::vector<std::pair<Cle, qsizetype>>& cles)
{
    // Names equal but for case keep one fixed order, whatever readdir gave.
    std::sort(cles.begin(), cles.end(), [&noms](const auto& a, const auto& b) {
        const int c = comparer(a.first, b.first);
        return c != 0 ? c < 0 : noms.at(a.second) < noms.at(b.second);
    });
    QStringList tries;
    tries.reserve(noms.size());
    for (const auto& [cle, index] : cles)
        tries.append(std::move(noms[index]));
    noms = std::move(tries);
}

} // namespace

void trierNoms(QStringList& noms)
{
    QCollator collateur;
    collateur.setCaseSensitivity(Qt::CaseInsensitive);
    collateur.setNumericMode(false);
    if (collateur.locale().language() == QLocale::C) {
        // Qt's sort keys ignore the case setting in the C locale: fold the case ourselves.
        std::vector<std::pair<CleRepliee, qsizetype>> cles;
        cles.reserve(size_t(noms.size()));
        for (qsizetype i = 0; i < noms.size(); ++i)
            cles.emplace_back(CleRepliee(noms.at(i).toCaseFolded()), i);
        trierParCles(noms, cles);
        return;
    }
    std::vector<std::pair<QCollatorSortKey, qsizetype>> cles;
    cles.reserve(size_t(noms.size()));
    for (qsizetype i = 0; i < noms.size(); ++i)
        cles.emplace_back(collateur.sortKey(noms.at(i)), i);
    trierParCles(noms, cles);
}

namespace {

// One pass over `dossier`. With `motifs`, only the files matching them are kept
// (subfolders are not wanted): the names left out never become text.
ContenuDossier lire(const QString& dossier, const std::vector<Motif>* motifs)
{
    ContenuDossier contenu;
    DIR* d = opendir(octetsDepuisChemin(dossier).constData());
    if (!d) {
        contenu.erreur = texteErreurSysteme(errno, ObjetErreur::Dossier);
        return contenu;
    }
    for (;;) {
        errno = 0;
        const dirent* e = readdir(d);
        if (!e)
            break;
        if (e->d_name[0] == '.' || (motifs && e->d_type == DT_DIR))
            continue;
        const size_t longueur = strlen(e->d_name);
        const Verdict verdict = motifs ? verdictOctets(*motifs, e->d_name, longueur) : Verdict::Oui;
        if (verdict == Verdict::Non)
            continue;
        const Genre genre = genreEntree(d, e);
        if (genre == Genre::Autre || (motifs && genre == Genre::Dossier))
            continue;
        QString nom = cheminDepuisOctets(QByteArray::fromRawData(e->d_name, qsizetype(longueur)));
        if (verdict == Verdict::Incertain && !correspond(*motifs, nom))
            continue;
        (genre == Genre::Fichier ? contenu.fichiers : contenu.sousDossiers).append(std::move(nom));
    }
    // A folder that opens but cannot be read through (no search right, I/O error).
    const int code = errno;
    closedir(d);
    if (code != 0)
        return ContenuDossier{{}, {}, texteErreurSysteme(code, ObjetErreur::Dossier)};
    trierNoms(contenu.fichiers);
    trierNoms(contenu.sousDossiers);
    return contenu;
}

} // namespace

ContenuDossier lireDossier(const QString& dossier)
{
    return lire(dossier, nullptr);
}

IdentiteFichier identiteFichier(const QString& chemin)
{
    struct stat st;
    if (chemin.isEmpty() || ::stat(octetsDepuisChemin(chemin).constData(), &st) != 0)
        return {};
    return identiteDe(st);
}

QString IdentiteFichier::texte() const
{
    return QStringLiteral("%1:%2:%3:%4").arg(peripherique).arg(inode).arg(taille).arg(modifieNs);
}

QStringList filtrerNoms(const QStringList& noms, const QString& motif)
{
    const std::vector<Motif> motifs = compiler(motif);
    QStringList retenus;
    for (const QString& nom : noms)
        if (correspond(motifs, nom))
            retenus.append(nom);
    return retenus;
}

QStringList listerFichiers(const QString& dossier, const QString& motif, QString* erreur)
{
    const std::vector<Motif> motifs = compiler(motif);
    ContenuDossier contenu = lire(dossier, &motifs);
    if (erreur)
        *erreur = contenu.erreur;
    return std::move(contenu.fichiers);
}

bool correspondMotif(const QString& nom, const QString& motif)
{
    return correspond(compiler(motif), nom);
}

QString joindreChemin(const QString& dossier, const QString& nom)
{
    if (dossier.isEmpty())
        return nom;
    if (dossier.endsWith(u'/'))
        return dossier + nom;
    return dossier + u'/' + nom;
}

// Walked down from the root one name at a time, each looked up in the folder
// opened before it: the work grows with the path's length, where trying each
// parent by its whole path would grow with its square. No path longer than
// PATH_MAX can be opened, so the walk stops there whatever the text holds.
QString parentExistant(const QString& chemin)
{
    QByteArray octets = octetsDepuisChemin(chemin);
    if (!octets.startsWith('/')) {
        if (DIR* d = opendir(octets.constData())) {
            closedir(d);
            return chemin;
        }
        return QStringLiteral("/");
    }
    if (octets.size() >= PATH_MAX)
        octets.truncate(PATH_MAX - 1);
    int dossier = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    qsizetype lisible = 1; // "/" at worst
    for (qsizetype debut = 1; dossier >= 0 && debut < octets.size();) {
        qsizetype fin = octets.indexOf('/', debut);
        if (fin < 0)
            fin = octets.size();
        if (fin == debut) {
            ++debut;
            continue;
        }
        const QByteArray nom = octets.mid(debut, fin - debut);
        int suivant = ::openat(dossier, nom.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (suivant >= 0)
            lisible = fin;
        else if (errno == EACCES) // a folder that can be passed through but not listed
            suivant = ::openat(dossier, nom.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(dossier);
        dossier = suivant;
        debut = fin + 1;
    }
    if (dossier >= 0)
        ::close(dossier);
    return cheminDepuisOctets(octets.left(lisible));
}
