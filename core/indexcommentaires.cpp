#include "core/indexcommentaires.h"

#include "core/commentaires.h"
#include "core/commentaires_lecture.h"
#include "platform/nomsfichiers.h"

#include <QMutexLocker>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace commentaires {

namespace {
// Keys up to this many bytes are looked up in the index, longer ones (paths of
// many escaped bytes) in the file itself: the index keeps as much of a line as a
// lookup of such a key keeps.
constexpr qsizetype CleMax = 8192;
constexpr int EntreesMax = 8;

IndexCommentaires::Identite identiteDe(const struct stat& etat)
{
    IndexCommentaires::Identite i;
    i.peripherique = quint64(etat.st_dev);
    i.inode = quint64(etat.st_ino);
    i.taille = qint64(etat.st_size);
    i.modifieNs = qint64(etat.st_mtim.tv_sec) * 1000000000 + etat.st_mtim.tv_nsec;
    return i;
}

int comparer(QByteArrayView a, QByteArrayView b)
{
    const int r = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    return r != 0 ? r : a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}
} // namespace

bool IndexCommentaires::Identite::operator==(const Identite& autre) const
{
    return peripherique == autre.peripherique && inode == autre.inode && taille == autre.taille
           && modifieNs == autre.modifieNs;
}

// Every line of a file, each in UTF-8 (a Latin-1 line converted) and cut where a
// lookup cuts it, sorted by their bytes: the records of a key follow each other.
struct IndexCommentaires::Table {
    struct Ligne {
        quint32 debut, longueur, rang;
        bool coupee;
    };
    QByteArray octets;
    std::vector<Ligne> lignes;

    QByteArrayView ligne(const Ligne& l) const { return QByteArrayView(octets).sliced(l.debut, l.longueur); }
    qsizetype taille() const { return octets.capacity() + qsizetype(lignes.capacity() * sizeof(Ligne)); }

    // False when the lines pass `budget` bytes.
    bool ajouter(QByteArrayView tete, bool coupee, qsizetype budget)
    {
        if (!coupee && tete.endsWith('\r'))
            tete.chop(1);
        const QByteArrayView l = coupee ? lecture::sansCaractereCoupe(tete) : tete;
        const qsizetype debut = octets.size();
        if (l.isValidUtf8())
            octets.append(l);
        else
            octets.append(QString::fromLatin1(tete).toUtf8());
        lignes.push_back({quint32(debut), quint32(octets.size() - debut), quint32(lignes.size()), coupee});
        return octets.size() + qsizetype(lignes.size() * sizeof(Ligne)) <= budget;
    }

    void trier()
    {
        std::sort(lignes.begin(), lignes.end(),
                  [this](const Ligne& a, const Ligne& b) { return comparer(ligne(a), ligne(b)) < 0; });
        octets.squeeze();
        lignes.shrink_to_fit();
    }

    QString chercher(const QByteArray& debutLigne) const
    {
        auto it = std::lower_bound(lignes.begin(), lignes.end(), debutLigne,
                                   [this](const Ligne& l, const QByteArray& c) { return comparer(ligne(l), c) < 0; });
        const Ligne* derniere = nullptr; // the last record wins
        for (; it != lignes.end() && ligne(*it).startsWith(debutLigne); ++it)
            if (!derniere || it->rang > derniere->rang)
                derniere = &*it;
        if (!derniere)
            return {};
        return lecture::borne(QString::fromUtf8(ligne(*derniere).sliced(debutLigne.size())), derniere->coupee);
    }
};

IndexCommentaires::IndexCommentaires(qsizetype budget) : budget_(std::min<qsizetype>(budget, UINT_MAX))
{
}

IndexCommentaires::~IndexCommentaires() = default;

QString IndexCommentaires::chercher(const QString& fichier, const QString& cheminImage,
                                    const std::atomic<bool>* annulation)
{
    if (cheminImage.isEmpty())
        return {};
    const QByteArray debutLigne = (cle(cheminImage) + QLatin1Char('/')).toUtf8();
    if (debutLigne.size() > CleMax)
        return commentaires::chercher(fichier, cheminImage, annulation);
    const std::optional<std::shared_ptr<const Table>> t = table(fichier, annulation);
    if (!t)
        return {};
    return *t ? (*t)->chercher(debutLigne) : commentaires::chercher(fichier, cheminImage, annulation);
}

std::optional<std::shared_ptr<const IndexCommentaires::Table>>
IndexCommentaires::table(const QString& fichier, const std::atomic<bool>* annulation)
{
    struct stat etat {};
    if (::stat(octetsDepuisChemin(fichier).constData(), &etat) != 0 || !S_ISREG(etat.st_mode))
        return std::nullopt;
    {
        QMutexLocker verrou(&mutex_);
        const auto it = entrees_.find(fichier);
        if (it != entrees_.end() && it->identite == identiteDe(etat)) {
            it->usage = ++horloge_;
            return it->table;
        }
    }
    // Read outside the lock: the other lookups go on meanwhile. The identity kept
    // is the one of the file as opened, so a change during the read is seen next time.
    const int fd = lecture::ouvrir(fichier, &etat);
    if (fd < 0)
        return std::nullopt;
    auto table = std::make_shared<Table>();
    bool tient = true;
    const bool lu =
        lecture::parcourirLignes(fd, lecture::garde(CleMax), annulation, [&](QByteArrayView tete, bool coupee) {
            return tient = table->ajouter(tete, coupee, budget_);
        });
    ::close(fd);
    if (!lu && tient)
        return std::nullopt;
    ++lectures_;
    if (tient)
        table->trier();
    else
        table.reset();
    garder(fichier, {identiteDe(etat), table, 0});
    return std::shared_ptr<const Table>(table);
}

void IndexCommentaires::garder(const QString& fichier, Entree entree)
{
    QMutexLocker verrou(&mutex_);
    entree.usage = ++horloge_;
    entrees_.insert(fichier, std::move(entree));
    // The least recently used go until what is held fits.
    for (;;) {
        qsizetype total = 0;
        auto plusAncienne = entrees_.end();
        for (auto it = entrees_.begin(); it != entrees_.end(); ++it) {
            total += it->table ? it->table->taille() : 0;
            if (it.key() != fichier && (plusAncienne == entrees_.end() || it->usage < plusAncienne->usage))
                plusAncienne = it;
        }
        if ((total <= budget_ && entrees_.size() <= EntreesMax) || plusAncienne == entrees_.end())
            return;
        entrees_.erase(plusAncienne);
    }
}

void IndexCommentaires::oublier(const QString& fichier)
{
    QMutexLocker verrou(&mutex_);
    entrees_.remove(fichier);
}

} // namespace commentaires
